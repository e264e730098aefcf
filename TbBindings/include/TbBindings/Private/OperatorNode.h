#pragma once

#include <TbBindings/Private/Dirtyable.h>

#include <functional>
#include <memory>
#include <tuple>
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
        if (!m_dirty)
            return m_result;
        m_dirty = false;
        try {
            m_result = std::apply([this](auto &...child) { return std::invoke(m_op, child->evaluate()...); },
                                  m_children);
        } catch (...) {
            // A failed evaluation leaves the node out of date, so the next one tries again.
            m_dirty = true;
            throw;
        }
        return m_result;
    }

    Dirtyable **parentVariable() override { return &m_parent; }
    bool *dirtyVariable() override { return &m_dirty; }

private:
    Dirtyable *m_parent = nullptr;
    bool m_dirty = true;
    std::tuple<std::unique_ptr<NodeInterface<Args>>...> m_children;
    Op m_op;
    R m_result{};
};

} // namespace TbBindings::Private
