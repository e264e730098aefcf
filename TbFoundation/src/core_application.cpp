#include <TbFoundation/core_application.h>

#include <TbFoundation/logging.h>

#include <atomic>
#include <mutex>
#include <utility>

namespace TbFoundation {

namespace {

std::atomic<CoreApplication *> currentInstance{ nullptr };

// Held by a poster from looking the application up until it has woken the application's loop, and by an
// application while it publishes or withdraws itself. Once withdrawn, no other thread can still be using
// its queue or its loop. (A lock inside the application cannot guard the application's own destruction.)
std::mutex publicationLock;

} // namespace

CoreApplication::CoreApplication(std::unique_ptr<AbstractPlatformIntegration> platformIntegration)
    : m_platformIntegration(std::move(platformIntegration))
{
    m_logger = getOrCreateLogger("application", spdlog::level::info);
    m_eventDispatcher = std::make_unique<EventDispatcher>();

    if (!m_platformIntegration)
        m_platformIntegration = createDefaultPlatformIntegration();
    m_eventLoop = m_platformIntegration->createPlatformEventLoop();
    m_platformIntegration->init();
    m_eventLoop->setEventDispatcher(m_eventDispatcher.get());

    // Published only once nothing can fail any more: a constructor that throws leaves no pointer to the
    // remains behind, and other threads see either no application or a complete one.
    const std::lock_guard lock(publicationLock);
    currentInstance.store(this);
}

CoreApplication::~CoreApplication()
{
    // Withdrawn before anything is torn down, so that no poster is still pushing onto the queue or
    // waking the loop while they go.
    {
        const std::lock_guard lock(publicationLock);
        CoreApplication *self = this;
        currentInstance.compare_exchange_strong(self, nullptr);
    }
    m_eventLoop.reset();
    m_platformIntegration.reset();
    m_eventDispatcher.reset();
    {
        // Dropped undelivered. Taken out under the lock, destroyed outside it: a carried event's
        // destructor may be anything.
        std::deque<std::unique_ptr<PostedEvent>> remaining;
        {
            const std::lock_guard lock(m_queueLock);
            remaining.swap(m_postedEvents);
        }
    }
    m_logger.reset();
}

CoreApplication *CoreApplication::instance() noexcept
{
    return currentInstance.load();
}

bool CoreApplication::postEvent(EventReceiver *target, std::unique_ptr<Event> e)
{
    if (!target || !e)
        return false;
    // Made before the lock is taken and, when refused, destroyed after it is released: an event's
    // destructor may be anything.
    auto posted = std::make_unique<PostedEvent>(target, std::move(e));
    const std::lock_guard publication(publicationLock);
    CoreApplication *app = currentInstance.load();
    if (!app)
        return false;
    {
        const std::lock_guard lock(app->m_queueLock);
        app->m_postedEvents.push_back(std::move(posted));
    }
    if (app->m_eventLoop)
        app->m_eventLoop->wakeUp();
    return true;
}

void CoreApplication::sendEvent(EventReceiver *target, Event *e)
{
    CoreApplication *app = instance();
    if (app && app->m_eventDispatcher)
        app->m_eventDispatcher->deliver(target, e);
    else if (target && e)
        target->event(target, e);
}

void CoreApplication::processEvents(int timeout)
{
    std::size_t queued = 0;
    {
        const std::lock_guard lock(m_queueLock);
        queued = m_postedEvents.size();
    }

    // Only what was queued before this call: events posted by the handlers wait for the next drain.
    const std::size_t attempts = queued == 0 ? 1 : queued;
    for (std::size_t i = 0; i < attempts; ++i) {
        std::unique_ptr<PostedEvent> posted;
        {
            const std::lock_guard lock(m_queueLock);
            if (m_postedEvents.empty())
                break;
            posted = std::move(m_postedEvents.front());
            m_postedEvents.pop_front();
        }
        m_eventDispatcher->deliver(posted->target(), posted->event());
    }

    if (m_eventLoop)
        m_eventLoop->waitForEvents(timeout);
}

std::size_t CoreApplication::postedEventCount() const
{
    const std::lock_guard lock(m_queueLock);
    return m_postedEvents.size();
}

void CoreApplication::removePostedEvents(const EventReceiver *target)
{
    std::deque<std::unique_ptr<PostedEvent>> dropped;
    {
        const std::lock_guard lock(m_queueLock);
        for (auto it = m_postedEvents.begin(); it != m_postedEvents.end();) {
            if ((*it)->target() == target) {
                dropped.push_back(std::move(*it));
                it = m_postedEvents.erase(it);
            } else {
                ++it;
            }
        }
    }
    // `dropped` is destroyed here, outside the lock.
}

void CoreApplication::installEventFilter(EventReceiver *filter)
{
    if (m_eventDispatcher)
        m_eventDispatcher->installEventFilter(filter);
}

void CoreApplication::removeEventFilter(EventReceiver *filter)
{
    if (m_eventDispatcher)
        m_eventDispatcher->removeEventFilter(filter);
}

void CoreApplication::event(EventReceiver *target, Event *e)
{
    if (e && e->type() == Event::Quit) {
        m_quitRequested = true;
        if (m_eventLoop)
            m_eventLoop->wakeUp();
        e->accept();
    }
    Object::event(target, e);
}

} // namespace TbFoundation
