#pragma once

#include <memory>

namespace TbFoundation {

class AbstractPlatformTimer;
class EventDispatcher;
class Timer;

// Waits for operating-system events and hands them out, one per call.
class AbstractPlatformEventLoop
{
public:
    virtual ~AbstractPlatformEventLoop() = default;

    // Handles at most one pending platform event, waiting up to `timeout` milliseconds for one
    // (0: never block; negative: wait without limit). Returns early when woken up.
    virtual void waitForEvents(int timeout) = 0;

    // Makes the current, or else the next, waitForEvents() return promptly. Callable from any thread.
    virtual void wakeUp() = 0;

    // Makes the operating-system timer that serves `timer`.
    virtual std::unique_ptr<AbstractPlatformTimer> createPlatformTimer(Timer *timer) = 0;

    // The dispatcher through which the loop delivers events it originates; set by the core application.
    EventDispatcher *eventDispatcher() const noexcept { return m_eventDispatcher; }
    void setEventDispatcher(EventDispatcher *dispatcher) noexcept { m_eventDispatcher = dispatcher; }

private:
    EventDispatcher *m_eventDispatcher = nullptr;
};

} // namespace TbFoundation
