#pragma once

#include <TbBindings/ConnectionHandle.h>
#include <TbBindings/GenerationalIndexArray.h>
#include <TbBindings/Private/MemberSlot.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

namespace TbBindings {

// A synchronous typed signal. Slots run on the emitting thread in ascending slot order; a slot may
// connect, disconnect or block connections (of this or any signal) while it runs.
//
// A signal that never had a connection is one null pointer and emits nothing.
template<typename... Args>
class Signal
{
public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    ~Signal() { disconnectAll(); }

    Signal(const Signal &) = delete;
    Signal &operator=(const Signal &) = delete;
    Signal(Signal &&other) noexcept
        : m_impl(std::move(other.m_impl))
    {
    }
    Signal &operator=(Signal &&other) noexcept
    {
        if (this != &other) {
            disconnectAll();
            m_impl = std::move(other.m_impl);
        }
        return *this;
    }

    template<typename Callable>
        requires std::is_invocable_v<Callable &, Args &...>
    ConnectionHandle connect(Callable &&callable)
    {
        if (!m_impl)
            m_impl = std::make_shared<Impl>();
        const GenerationalIndex index = m_impl->connections.insert(Connection{ Slot(std::forward<Callable>(callable)) });
        return ConnectionHandle(std::weak_ptr<Private::SignalImplBase>(m_impl), index);
    }

    // Connects `object->*function`, called with `bound...` first and then with as many of the signal's
    // arguments as it still takes. Private::placeholder<N> among `bound` stands for the N-th argument.
    template<typename MemberFunction, typename Object, typename... Bound>
        requires std::is_member_function_pointer_v<MemberFunction>
    ConnectionHandle connect(MemberFunction function, Object *object, Bound &&...bound)
    {
        return connect(Private::MemberSlot<MemberFunction, Object, std::decay_t<Bound>...>(
            function, object, std::forward<Bound>(bound)...));
    }

    void emit(Args... args)
    {
        // Everything after this load runs on the shared state only: a slot may destroy this signal.
        if (Impl *impl = m_impl.get())
            impl->emit(args...);
    }

    void disconnect(const ConnectionHandle &handle)
    {
        if (handle.belongsTo(m_impl))
            m_impl->disconnect(handle);
    }

    void disconnectAll()
    {
        if (m_impl)
            Impl::release(std::move(m_impl));
    }

    // Returns the previous flag. A blocked connection stays connected but is skipped by emit().
    bool blockConnection(const ConnectionHandle &handle, bool blocked)
    {
        return implOf(handle).blockConnection(handle, blocked);
    }

    bool isConnectionBlocked(const ConnectionHandle &handle) const { return implOf(handle).isConnectionBlocked(handle); }

    bool isConnectionActive(const ConnectionHandle &handle) const
    {
        return handle.belongsTo(m_impl) && m_impl->isConnectionActive(handle);
    }

private:
    struct Connection {
        Slot slot;
        bool blocked = false;
        // Set when the connection is cut during an emission while its callable must stay alive.
        bool cut = false;
        bool runnable() const noexcept { return !(blocked | cut); }
    };

    class Impl final : public Private::SignalImplBase
    {
    public:
        ~Impl() override = default;

        void emit(Args &...args)
        {
            EmissionScope scope(*this);
            // A stored connection is live unless marked cut: erased ones are gone from the table, and
            // ones retired mid-emission are marked. So one flag test per slot suffices.
            connections.forEachStoredValue(connections.entryCount(), [&](Connection &connection) {
                if (connection.runnable())
                    connection.slot(args...);
            });
        }

        void disconnect(const ConnectionHandle &handle) override
        {
            const GenerationalIndex index = handle.index();
            if (!connections.retire(index))
                return;
            // A cut connection may be the one running right now: its callable is destroyed, and its
            // slot handed back for reuse, only once no emission is in progress.
            if (m_emissionDepth > 0) {
                connections.storedValueAt(index.index)->cut = true;
                m_retiredDuringEmission.push_back(index.index);
                m_workAfterEmission = true;
            } else
                connections.reclaim(index.index);
        }

        bool blockConnection(const ConnectionHandle &handle, bool blocked) override
        {
            Connection &connection = find(handle);
            const bool previous = connection.blocked;
            connection.blocked = blocked;
            return previous;
        }

        bool isConnectionActive(const ConnectionHandle &handle) const override
        {
            return const_cast<Impl *>(this)->connections.get(handle.index()) != nullptr;
        }

        bool isConnectionBlocked(const ConnectionHandle &handle) const override
        {
            return const_cast<Impl *>(this)->find(handle).blocked;
        }

        Connection &find(const ConnectionHandle &handle)
        {
            Connection *connection = connections.get(handle.index());
            if (!connection)
                throwNoSuchConnection();
            return *connection;
        }

        // Cuts every connection and lets go of the shared state. While an emission is running on it, the
        // state keeps itself alive until that emission has returned.
        static void release(std::shared_ptr<Impl> self)
        {
            Impl &impl = *self;
            for (uint32_t i = 0; i < impl.connections.entryCount(); ++i) {
                if (impl.connections.liveValueAt(i))
                    impl.disconnect(ConnectionHandle({}, impl.connections.indexAt(i)));
            }
            if (impl.m_emissionDepth > 0) {
                impl.m_keepAliveUntilEmissionEnds = std::move(self);
                impl.m_workAfterEmission = true;
            }
        }

        GenerationalIndexArray<Connection> connections;

    private:
        struct EmissionScope {
            explicit EmissionScope(Impl &impl) noexcept
                : impl(impl)
            {
                ++impl.m_emissionDepth;
            }
            ~EmissionScope()
            {
                if (--impl.m_emissionDepth == 0 && impl.m_workAfterEmission)
                    impl.finishEmission();
            }
            Impl &impl;
        };

        // Rare (something was cut during the emission), so kept out of the emission's hot path.
        [[gnu::cold, gnu::noinline]] void finishEmission()
        {
            m_workAfterEmission = false;
            for (uint32_t slot : m_retiredDuringEmission)
                connections.reclaim(slot);
            m_retiredDuringEmission.clear();
            // Released when this function returns, after its last use of the Impl: it may be the last owner.
            const auto lastOwner = std::move(m_keepAliveUntilEmissionEnds);
        }

        uint32_t m_emissionDepth = 0;
        bool m_workAfterEmission = false;
        std::vector<uint32_t> m_retiredDuringEmission;
        std::shared_ptr<Impl> m_keepAliveUntilEmissionEnds;
    };

    Impl &implOf(const ConnectionHandle &handle) const
    {
        if (!handle.belongsTo(m_impl))
            throwNoSuchConnection();
        return *m_impl;
    }

    [[noreturn]] static void throwNoSuchConnection()
    {
        throw std::out_of_range("Provided ConnectionHandle does not match any connection\n"
                                "Likely the connection was deleted before!");
    }

    std::shared_ptr<Impl> m_impl;
};

} // namespace TbBindings
