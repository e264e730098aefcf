#pragma once

#include <TbBindings/Private/member_slot.h>
#include <TbBindings/connection_handle.h>
#include <TbBindings/generational_index_array.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

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
    requires std::is_invocable_v<Callable &, Args &...> ConnectionHandle connect(Callable &&callable)
    {
        if (!m_impl)
            m_impl = std::make_shared<Impl>();
        const GenerationalIndex index =
                m_impl->connections.insert(Connection{ Slot(std::forward<Callable>(callable)) });
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

    bool isConnectionBlocked(const ConnectionHandle &handle) const
    {
        return implOf(handle).isConnectionBlocked(handle);
    }

    bool isConnectionActive(const ConnectionHandle &handle) const
    {
        return handle.belongsTo(m_impl) && m_impl->isConnectionActive(handle);
    }

private:
    struct Connection {
        Slot slot;
        bool blocked = false;
        // Set when the connection is cut while its callable runs: it stays in place until that call returns.
        bool cut = false;
        bool runnable() const noexcept { return !(blocked | cut); }
    };

    class Impl final : public Private::SignalImplBase
    {
        struct EmissionFrame;
        struct FrameLink;

    public:
        ~Impl() override = default;

        void emit(Args &...args)
        {
            EmissionFrame frame{ m_innermostFrame };
            const FrameLink link(*this, frame);
            // A stored connection is live unless marked cut: erased ones are gone from the table, and
            // ones cut while running are marked. So one flag test per slot suffices.
            connections.forEachStoredValue(connections.entryCount(), [&](Connection &connection) {
                if (!connection.runnable())
                    return;
                frame.running = &connection;
                connection.slot(args...);
                if (frame.runningWasCut()) [[unlikely]]
                    reclaimCutSlot(frame);
            });
        }

        // The slot is handed back at once, so a connection made next takes it, even within an emission.
        // Only a callable that is running right now stays where it is until its call returns.
        void disconnect(const ConnectionHandle &handle) override
        {
            const GenerationalIndex index = handle.index();
            if (!connections.retire(index))
                return;
            Connection *connection = connections.storedValueAt(index.index);
            if (EmissionFrame *frame = outermostFrameRunning(connection)) [[unlikely]] {
                connection->cut = true;
                frame->cutSlot = index.index;
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
            if (impl.m_innermostFrame)
                impl.m_keepAliveUntilEmissionEnds = std::move(self);
        }

        GenerationalIndexArray<Connection> connections;

    private:
        static constexpr uint32_t noSlot = UINT32_MAX;

        // One running emission of this signal; nested emissions (a slot emitting the signal it runs from)
        // form a chain from the innermost to the outermost.
        struct EmissionFrame {
            EmissionFrame *outer;
            // The connection being called. Left as it is between calls: only code inside a call looks at it.
            const Connection *running = nullptr;
            // The slot of the running connection once it was cut, when this is the outermost frame calling
            // it: the slot is reclaimed as soon as the call returns.
            uint32_t cutSlot = noSlot;
            bool runningWasCut() const noexcept { return cutSlot != noSlot; }
        };

        // Puts a frame on the chain for the length of an emission. Kept apart from the frame so that setting
        // the frame up stays a few plain stores: merged, it became one wide store read back in halves, which
        // made every emission measurably slower.
        struct FrameLink {
            FrameLink(Impl &impl, EmissionFrame &frame) noexcept
                : impl(impl)
                , frame(frame)
            {
                impl.m_innermostFrame = &frame;
            }
            ~FrameLink()
            {
                // Still set here when the call that cut its own connection threw.
                if (frame.runningWasCut()) [[unlikely]]
                    impl.reclaimCutSlot(frame);
                impl.m_innermostFrame = frame.outer;
                if (!frame.outer && impl.m_keepAliveUntilEmissionEnds)
                    impl.releaseAfterEmission();
            }
            Impl &impl;
            EmissionFrame &frame;
        };

        [[gnu::cold, gnu::noinline]] void reclaimCutSlot(EmissionFrame &frame)
        {
            frame.running = nullptr;
            connections.reclaim(std::exchange(frame.cutSlot, noSlot));
        }

        // The outermost emission calling `connection` right now, or null. A connection running in several
        // nested emissions must outlive the outermost call.
        EmissionFrame *outermostFrameRunning(const Connection *connection) const noexcept
        {
            EmissionFrame *outermost = nullptr;
            for (EmissionFrame *frame = m_innermostFrame; frame; frame = frame->outer) {
                if (frame->running == connection)
                    outermost = frame;
            }
            return outermost;
        }

        // Rare (the signal was released from one of its own slots), so kept out of the emission's path.
        [[gnu::cold, gnu::noinline]] void releaseAfterEmission()
        {
            // Released when this function returns, after its last use of the Impl: it may be the last owner.
            const auto lastOwner = std::move(m_keepAliveUntilEmissionEnds);
        }

        EmissionFrame *m_innermostFrame = nullptr;
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
