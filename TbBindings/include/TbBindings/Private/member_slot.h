#pragma once

#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace TbBindings::Private {

// Stands for the N-th (1-based) argument of the signal in a member-function connection.
template<int N>
struct placeholder {
    static_assert(N > 0, "placeholders count from 1");
};

template<typename>
struct MemberFunctionTraits;

template<typename R, typename C, typename... P>
struct MemberFunctionTraits<R (C::*)(P...)> {
    static constexpr std::size_t arity = sizeof...(P);
};
template<typename R, typename C, typename... P>
struct MemberFunctionTraits<R (C::*)(P...) const> : MemberFunctionTraits<R (C::*)(P...)> {
};
template<typename R, typename C, typename... P>
struct MemberFunctionTraits<R (C::*)(P...) noexcept> : MemberFunctionTraits<R (C::*)(P...)> {
};
template<typename R, typename C, typename... P>
struct MemberFunctionTraits<R (C::*)(P...) const noexcept> : MemberFunctionTraits<R (C::*)(P...)> {
};

template<typename Bound, typename ArgsTuple>
decltype(auto) resolveBoundArgument(Bound &bound, ArgsTuple &)
{
    return (bound);
}
template<int N, typename ArgsTuple>
decltype(auto) resolveBoundArgument(placeholder<N> &, ArgsTuple &args)
{
    static_assert(N <= int(std::tuple_size_v<ArgsTuple>), "placeholder beyond the signal's arguments");
    return std::get<N - 1>(args);
}

// A member function bound to an object and leading arguments, followed by as many of the signal's
// arguments as the function still takes; the signal's remaining arguments are dropped.
template<typename MemberFunction, typename Object, typename... Bound>
class MemberSlot
{
public:
    MemberSlot(MemberFunction function, Object *object, Bound... bound)
        : m_function(function)
        , m_object(object)
        , m_bound(std::move(bound)...)
    {
    }

    template<typename... Args>
    void operator()(Args &&...args)
    {
        constexpr std::size_t taken = MemberFunctionTraits<MemberFunction>::arity - sizeof...(Bound);
        static_assert(MemberFunctionTraits<MemberFunction>::arity >= sizeof...(Bound),
                      "more bound arguments than the member function takes");
        static_assert(taken <= sizeof...(Args), "the member function takes more arguments than the signal has");
        auto signalArgs = std::forward_as_tuple(std::forward<Args>(args)...);
        call(signalArgs, std::index_sequence_for<Bound...>{}, std::make_index_sequence<taken>{});
    }

private:
    template<typename ArgsTuple, std::size_t... B, std::size_t... S>
    void call(ArgsTuple &args, std::index_sequence<B...>, std::index_sequence<S...>)
    {
        std::invoke(m_function, m_object, resolveBoundArgument(std::get<B>(m_bound), args)..., std::get<S>(args)...);
    }

    MemberFunction m_function;
    Object *m_object;
    std::tuple<Bound...> m_bound;
};

} // namespace TbBindings::Private
