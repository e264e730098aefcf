#pragma once

#include <TbFoundation/abstract_platform_event_loop.h>
#include <TbFoundation/abstract_platform_integration.h>
#include <TbFoundation/event.h>
#include <TbFoundation/event_dispatcher.h>
#include <TbFoundation/object.h>
#include <TbFoundation/posted_event.h>

#include <TbBindings/property.h>

#include <spdlog/logger.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace TbFoundation {

// The process-wide core: owns the posted-event queue, the event filters, the platform integration and its
// event loop, and sets up the logger "application". At most one exists at a time; instance() names it.
class CoreApplication : public Object
{
public:
    // An empty integration is replaced by the platform default.
    explicit CoreApplication(std::unique_ptr<AbstractPlatformIntegration> platformIntegration = nullptr);
    ~CoreApplication() override;

    static CoreApplication *instance() noexcept;

    // Queues `e` for `target`; it is delivered by a later processEvents() on the thread that drains the
    // queue. Callable from any thread, also while a core application is being made or destroyed. Returns
    // false (and drops the event) when no core application exists or either argument is null.
    static bool postEvent(EventReceiver *target, std::unique_ptr<Event> e);
    // Takes ownership of `e`, as above.
    static bool postEvent(EventReceiver *target, Event *e) { return postEvent(target, std::unique_ptr<Event>(e)); }

    // Delivers `e` now, on the caller's thread, through the event filters of the core application (or
    // straight to the target when there is none).
    static void sendEvent(EventReceiver *target, Event *e);

    // Delivers the events queued before this call, in posting order (events posted meanwhile wait for the
    // next call), then lets the platform loop handle one event, waiting up to `timeout` ms (0: don't block).
    void processEvents(int timeout);

    // Number of events waiting in the queue.
    std::size_t postedEventCount() const;
    // Drops, undelivered, every queued event for `target`.
    void removePostedEvents(const EventReceiver *target);

    void installEventFilter(EventReceiver *filter);
    void removeEventFilter(EventReceiver *filter);

    // A Quit event sets quitRequested and wakes the event loop.
    void event(EventReceiver *target, Event *e) override;

    bool quitRequested() const noexcept { return m_quitRequested; }
    const std::shared_ptr<spdlog::logger> &logger() const noexcept { return m_logger; }
    AbstractPlatformIntegration *platformIntegration() const noexcept { return m_platformIntegration.get(); }
    AbstractPlatformEventLoop *eventLoop() const noexcept { return m_eventLoop.get(); }
    EventDispatcher *eventDispatcher() const noexcept { return m_eventDispatcher.get(); }

    TbBindings::Property<std::string> applicationName;

private:
    std::shared_ptr<spdlog::logger> m_logger;
    mutable std::mutex m_queueLock;
    std::deque<std::unique_ptr<PostedEvent>> m_postedEvents;
    bool m_quitRequested = false;
    std::unique_ptr<AbstractPlatformIntegration> m_platformIntegration;
    std::unique_ptr<AbstractPlatformEventLoop> m_eventLoop;
    std::unique_ptr<EventDispatcher> m_eventDispatcher;
};

} // namespace TbFoundation
