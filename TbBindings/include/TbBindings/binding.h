#pragma once

#include <TbBindings/Private/dirtyable.h>
#include <TbBindings/binding_evaluator.h>
#include <TbBindings/property_updater.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

namespace TbBindings {

// Drives a property from an expression. With a manual evaluator the binding waits to be evaluated;
// with the immediate evaluator (specialisation below) every change of an input re-evaluates it at once.
template<typename T, typename Evaluator = BindingEvaluator>
class Binding : public PropertyUpdater<T>, public Private::Dirtyable
{
public:
    Binding(std::unique_ptr<Private::NodeInterface<T>> root, Evaluator evaluator)
        : m_root(std::move(root))
        , m_evaluator(std::move(evaluator))
        , m_update([](T &&) {})
    {
        m_id = m_evaluator.insert(*this);
        *m_root->parentVariable() = static_cast<Private::Dirtyable *>(this);
    }

    ~Binding() override { m_evaluator.remove(m_id); }

    Binding(const Binding &) = delete;
    Binding &operator=(const Binding &) = delete;

    T get() override { return m_root->evaluate(); }

    void setUpdateFunction(std::function<void(T &&)> updateFunction) override { m_update = std::move(updateFunction); }

    void evaluate()
    {
        T value = m_root->evaluate();
        m_update(std::move(value));
    }

    int32_t id() const noexcept { return m_id; }

private:
    std::unique_ptr<Private::NodeInterface<T>> m_root;
    Evaluator m_evaluator;
    std::function<void(T &&)> m_update;
    int32_t m_id = -1;
};

template<typename T>
class Binding<T, ImmediateBindingEvaluator> : public Binding<T, BindingEvaluator>
{
public:
    Binding(std::unique_ptr<Private::NodeInterface<T>> root, ImmediateBindingEvaluator evaluator)
        : Binding<T, BindingEvaluator>(std::move(root), std::move(evaluator))
    {
    }

    void markDirty() override { this->evaluate(); }
};

} // namespace TbBindings
