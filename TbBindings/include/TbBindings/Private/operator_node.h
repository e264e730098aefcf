#pragma once

#include <TbBindings/Private/dirtyable.h>

#include <exception>
#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

namespace TbBindings::Private {

// An inner node of a binding expression: applies `Op` to the values of its children and caches the result
// until a child marks it dirty.
template<typename R, typename Op, typename... Args>
class OperatorNode final : public NodeInterface<R>
{
public:
    OperatorNode(Op op, std::unique_ptr<NodeInterface<Args>>... children)
        : m_children(std::move(children)...)
        , m_op(std::move(op))
    {
        std::apply([this](auto &...child) { ((*child->parentVariable() = this), ...); }, m_children);
    }

    const R &evaluate() override
    {
        if (!m_dirty && !m_failed)
            return m_result;
        // The flag is cleared even when the evaluation fails: a dirty node stops the next change of an
        // input from reaching the binding. m_failed makes the next evaluation compute again instead of
        // handing out a result that no longer matches the inputs.
        m_dirty = false;
        m_failed = true;
        const auto values = evaluateChildren();
        m_result = std::apply([this](const Args *...value) { return std::invoke(m_op, *value...); }, values);
        m_failed = false;
        return m_result;
    }

    Dirtyable **parentVariable() override { return &m_parent; }
    bool *dirtyVariable() override { return &m_dirty; }

private:
    // Brings every child up to date even when one of them fails, so none is left dirty (and deaf to its
    // inputs); the first failure is rethrown once all have been evaluated.
    std::tuple<const Args *...> evaluateChildren()
    {
        std::exception_ptr failure;
        auto evaluateChild = [&failure](auto &child) {
            const std::remove_reference_t<decltype(child->evaluate())> *value = nullptr;
            try {
                value = &child->evaluate();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
            return value;
        };
        // Braced initialisation evaluates the children in argument order.
        auto values = std::apply([&](auto &...child) { return std::tuple<const Args *...>{ evaluateChild(child)... }; },
                                 m_children);
        if (failure)
            std::rethrow_exception(failure);
        return values;
    }

    Dirtyable *m_parent = nullptr;
    bool m_dirty = true;
    bool m_failed = false;
    std::tuple<std::unique_ptr<NodeInterface<Args>>...> m_children;
    Op m_op;
    R m_result{};
};

} // namespace TbBindings::Private
