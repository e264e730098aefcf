#pragma once

#include <TbBindings/signal.h>

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

namespace Orvane {

// One part of the fixed-function pipeline state that a draw overrides (depth-stencil, blending,
// rasterisation ...): a copyable value type with equality and its own hash.
template<typename S>
concept RenderState = std::copy_constructible<S> && std::equality_comparable<S> && requires(const S &state)
{
    {
        state.hash()
        } -> std::convertible_to<uint64_t>;
};

// The render states a mesh renderer or a render phase sets, at most one of each kind; a kind that is absent
// keeps the pipeline's default. The set is a value: copies compare equal and hash alike, and each holds its
// states independently. Its `changed` signal fires when the set is modified in place (setState,
// removeState); it belongs to the set object and is neither copied nor moved with the states, so that
// assigning a new set does not announce the change twice.
class RenderStateSet
{
public:
    RenderStateSet() = default;
    RenderStateSet(const RenderStateSet &other)
        : m_states(other.m_states)
    {
    }
    RenderStateSet(RenderStateSet &&other) noexcept
        : m_states(std::move(other.m_states))
    {
    }
    RenderStateSet &operator=(const RenderStateSet &other)
    {
        m_states = other.m_states;
        return *this;
    }
    RenderStateSet &operator=(RenderStateSet &&other) noexcept
    {
        m_states = std::move(other.m_states);
        return *this;
    }

    // Adds `state`, or replaces the state of its kind; emits changed when the set differs afterwards.
    template<RenderState S>
    void setState(S state)
    {
        auto model = std::make_shared<const Model<S>>(std::move(state));
        const auto it = lowerBound(typeid(S));
        if (it != m_states.end() && it->type == typeid(S)) {
            if (it->state->equals(*model))
                return;
            it->state = std::move(model);
        } else {
            m_states.insert(it, Entry{ typeid(S), std::move(model) });
        }
        m_changed.emit();
    }

    // Removes the state of kind S; returns whether there was one (and then emits changed).
    template<RenderState S>
    bool removeState()
    {
        const auto it = lowerBound(typeid(S));
        if (it == m_states.end() || it->type != typeid(S))
            return false;
        m_states.erase(it);
        m_changed.emit();
        return true;
    }

    // The state of kind S, or null when the set does not override it.
    template<RenderState S>
    const S *state() const
    {
        const auto it = lowerBound(typeid(S));
        if (it == m_states.end() || it->type != typeid(S))
            return nullptr;
        return &static_cast<const Model<S> &>(*it->state).value;
    }

    std::size_t size() const noexcept { return m_states.size(); }
    bool empty() const noexcept { return m_states.empty(); }

    // Combines the kinds and hashes of all states (stable within one run of the program).
    uint64_t hash() const;

    bool operator==(const RenderStateSet &other) const;

    // The set's own change signal. It can be connected to through a const set (a set held by a property).
    TbBindings::Signal<> &changed() const noexcept { return m_changed; }

private:
    struct Concept {
        virtual ~Concept() = default;
        virtual bool equals(const Concept &other) const = 0;
        virtual uint64_t hash() const = 0;
    };
    template<typename S>
    struct Model final : Concept {
        explicit Model(S state)
            : value(std::move(state))
        {
        }
        bool equals(const Concept &other) const override { return value == static_cast<const Model &>(other).value; }
        uint64_t hash() const override { return uint64_t(value.hash()); }
        S value;
    };
    struct Entry {
        std::type_index type;
        // States are immutable once stored, so copies of a set share them.
        std::shared_ptr<const Concept> state;
    };

    std::vector<Entry>::iterator lowerBound(std::type_index type)
    {
        return std::lower_bound(m_states.begin(), m_states.end(), type,
                                [](const Entry &entry, std::type_index key) { return entry.type < key; });
    }
    std::vector<Entry>::const_iterator lowerBound(std::type_index type) const
    {
        return std::lower_bound(m_states.begin(), m_states.end(), type,
                                [](const Entry &entry, std::type_index key) { return entry.type < key; });
    }

    // Sorted by kind, so that equal sets have equal lists whatever the order the states were set in.
    std::vector<Entry> m_states;
    mutable TbBindings::Signal<> m_changed;
};

} // namespace Orvane
