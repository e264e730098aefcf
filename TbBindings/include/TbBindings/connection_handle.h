#pragma once

#include <TbBindings/generational_index_array.h>

#include <cstdint>
#include <memory>

namespace TbBindings {

class ConnectionHandle;

namespace Private {

// The type-independent face of a signal's shared state, reached by handles through a weak reference.
class SignalImplBase
{
public:
    virtual ~SignalImplBase() = default;
    virtual void disconnect(const ConnectionHandle &handle) = 0;
    virtual bool blockConnection(const ConnectionHandle &handle, bool blocked) = 0;
    virtual bool isConnectionActive(const ConnectionHandle &handle) const = 0;
    virtual bool isConnectionBlocked(const ConnectionHandle &handle) const = 0;
};

} // namespace Private

// Names one connection of one signal. A handle never keeps its signal alive: it turns inactive when the
// connection is cut or the signal is destroyed. Destroying a handle leaves the connection in place.
class ConnectionHandle
{
public:
    ConnectionHandle() = default;
    ConnectionHandle(std::weak_ptr<Private::SignalImplBase> signal, GenerationalIndex index)
        : m_signal(std::move(signal))
        , m_index(index.packed())
    {
    }

    bool isActive() const
    {
        const auto signal = m_signal.lock();
        return signal && signal->isConnectionActive(*this);
    }

    // Cuts the connection if it is still active; the handle refers to nothing afterwards.
    void disconnect()
    {
        if (const auto signal = m_signal.lock(); signal && signal->isConnectionActive(*this))
            signal->disconnect(*this);
        m_signal.reset();
    }

    GenerationalIndex index() const noexcept { return GenerationalIndex::fromPacked(m_index); }

    // True when this handle was made by the signal state `signal` (used to ignore foreign handles).
    bool belongsTo(const std::shared_ptr<Private::SignalImplBase> &signal) const noexcept
    {
        return signal && !m_signal.owner_before(signal) && !signal.owner_before(m_signal) && !m_signal.expired();
    }

private:
    std::weak_ptr<Private::SignalImplBase> m_signal;
    uint64_t m_index = 0;
};

} // namespace TbBindings
