#pragma once

#include <TbBindings/Private/operator_node.h>
#include <TbBindings/Private/property_node.h>
#include <TbBindings/binding.h>
#include <TbBindings/property.h>

#include <functional>
#include <memory>
#include <type_traits>

namespace TbBindings {

// An immediate binding computing `op(sources...)`, ready to be assigned to a Property of the result type.
template<typename Op, typename... Args>
auto createBinding(Op op, Property<Args> &...sources)
{
    using Result = std::decay_t<std::invoke_result_t<Op &, const Args &...>>;
    using Node = Private::OperatorNode<Result, Op, Args...>;
    auto root = std::make_unique<Node>(std::move(op), std::make_unique<Private::PropertyNode<Args>>(sources)...);
    return std::unique_ptr<PropertyUpdater<Result>>(std::make_unique<Binding<Result, ImmediateBindingEvaluator>>(
            std::move(root), ImmediateBindingEvaluator::instance()));
}

// An immediate binding that mirrors `source`.
template<typename T>
std::unique_ptr<PropertyUpdater<T>> createBinding(Property<T> &source)
{
    return std::make_unique<Binding<T, ImmediateBindingEvaluator>>(std::make_unique<Private::PropertyNode<T>>(source),
                                                                   ImmediateBindingEvaluator::instance());
}

} // namespace TbBindings
