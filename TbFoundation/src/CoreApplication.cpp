#include <TbFoundation/CoreApplication.h>

#include <TbFoundation/Logging.h>

#include <atomic>
#include <utility>

namespace TbFoundation {

namespace {

std::atomic<CoreApplication *> currentInstance{ nullptr };

} // namespace

CoreApplication::CoreApplication(std::unique_ptr<AbstractPlatformIntegration> platformIntegration)
    : m_platformIntegration(std::move(platformIntegration))
{
    currentInstance.store(this);

    m_logger = getOrCreateLogger("application", spdlog::level::info);
    m_eventDispatcher = std::make_unique<EventDispatcher>();

    if (!m_platformIntegration)
        m_platformIntegration = createDefaultPlatformIntegration();
    m_eventLoop = m_platformIntegration->createPlatformEventLoop();
    m_platformIntegration->init();
    m_eventLoop->setEventDispatcher(m_eventDispatcher.get());
}

CoreApplication::~CoreApplication()
{
    m_eventLoop.reset();
    m_platformIntegration.reset();
    currentInstance.store(nullptr);
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
    CoreApplication *app = instance();
    if (!app || !target || !e)
        return false;
    {
        const std::lock_guard lock(app->m_queueLock);
        app->m_postedEvents.push_back(std::make_unique<PostedEvent>(target, std::move(e)));
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
