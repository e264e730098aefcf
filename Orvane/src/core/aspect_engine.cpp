#include <Orvane/core/aspect_engine.h>

#include <Orvane/core/entity.h>
#include <Orvane/core/layer_manager.h>

#include <TbFoundation/core_application.h>
#include <TbFoundation/logging.h>
#include <TbFoundation/update_event.h>

#include <chrono>

namespace Orvane {

namespace {

int64_t steadyClockNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
}

} // namespace

// The UpdateEvent the engine posts to itself. It is destroyed after its delivery or, undelivered, when it
// is dropped from the queue or consumed by an earlier event filter; in the second case the engine would
// otherwise wait for it for good.
class AspectEngine::FrameRequest : public TbFoundation::UpdateEvent
{
public:
    explicit FrameRequest(AspectEngine *engine) noexcept
        : m_engine(engine)
    {
    }
    ~FrameRequest() override
    {
        if (m_engine && m_engine->m_pendingUpdate == this)
            m_engine->m_pendingUpdate = nullptr;
    }

    FrameRequest(const FrameRequest &) = delete;
    FrameRequest &operator=(const FrameRequest &) = delete;

    // The engine is going away before the request.
    void forgetEngine() noexcept { m_engine = nullptr; }

private:
    AspectEngine *m_engine;
};

AspectEngine::AspectEngine()
    : m_layerManager(std::make_unique<LayerManager>())
{
    m_logger = TbFoundation::getOrCreateLogger("aspect engine");
    running.valueChanged().connect([this](const bool &value) { onRunningChanged(value); });
    if (auto *application = TbFoundation::CoreApplication::instance()) {
        application->installEventFilter(this);
        m_filteredApplication = application;
    }
}

AspectEngine::~AspectEngine()
{
    // Throwing here would end the process; a bound `running` is stopped by hand instead.
    if (!running.isReadOnly())
        running = false;
    else if (running.get())
        stopSequence();
    setRootEntity(nullptr);
    if (m_filteredApplication && TbFoundation::CoreApplication::instance() == m_filteredApplication)
        m_filteredApplication->removeEventFilter(this);
    m_layerManager.reset();
    m_logger.reset();
    for (auto &aspect : m_aspects)
        aspect.reset();
    m_aspects.clear();
    // A request still queued is dropped once this engine is only an EventReceiver any more.
    if (m_pendingUpdate)
        m_pendingUpdate->forgetEngine();
}

void AspectEngine::adoptAspect(std::unique_ptr<Aspect> aspect)
{
    aspect->m_engine = this;
    m_aspects.push_back(std::move(aspect));
}

void AspectEngine::setRootEntity(std::unique_ptr<Entity> root)
{
    if (root.get() == m_rootEntity.get()) {
        // The caller handed in the root we already own: keep one owner.
        (void)root.release();
        return;
    }
    Entity *oldRoot = m_rootEntity.get();
    Entity *newRoot = root.get();
    for (auto &aspect : m_aspects)
        aspect->rootAboutToChange(oldRoot, newRoot);
    std::unique_ptr<Entity> previous = std::exchange(m_rootEntity, std::move(root));
    previous.reset();
    rootEntityChanged.emit(newRoot);
    for (auto &aspect : m_aspects)
        aspect->rootChanged(oldRoot, newRoot);
}

void AspectEngine::event(TbFoundation::EventReceiver *target, TbFoundation::Event *e)
{
    if (target == this && e && e->type() == TbFoundation::Event::Update) {
        if (e == m_pendingUpdate)
            m_pendingUpdate = nullptr;
        processFrame();
        if (running.get())
            requestUpdate();
        e->accept();
    }
    Object::event(target, e);
}

void AspectEngine::requestUpdate()
{
    if (m_pendingUpdate)
        return;
    auto request = std::make_unique<FrameRequest>(this);
    FrameRequest *posted = request.get();
    if (TbFoundation::CoreApplication::postEvent(this, std::move(request)))
        m_pendingUpdate = posted;
}

void AspectEngine::onRunningChanged(bool isRunning)
{
    if (isRunning)
        startSequence();
    else
        stopSequence();
}

void AspectEngine::startSequence()
{
    m_windowFrameCount = 0;
    m_frameNumber = 0;
    m_startTime = now();
    m_currentFrameTime = m_startTime;
    for (auto &aspect : m_aspects)
        aspect->onEngineStarting();
    processFrame();
    requestUpdate();
    for (auto &aspect : m_aspects)
        aspect->onEngineStarted();
}

void AspectEngine::stopSequence()
{
    for (auto &aspect : m_aspects)
        aspect->onEngineStopping();
    processFrame();
    for (auto &aspect : m_aspects)
        aspect->onEngineStopped();
}

void AspectEngine::processFrame()
{
    m_previousFrameTime = m_currentFrameTime;
    m_currentFrameTime = now();

    for (auto &aspect : m_aspects)
        aspect->processFrame();

    ++m_windowFrameCount;
    ++m_frameNumber;

    const int64_t windowEnd = now();
    const double elapsedMilliseconds = double(windowEnd - m_windowStart) / 1e6;
    if (elapsedMilliseconds > 1000.0) {
        fps = 1000.0 / elapsedMilliseconds * double(m_windowFrameCount);
        m_windowFrameCount = 0;
        m_windowStart = windowEnd;
    }
}

void AspectEngine::setTimeSource(TimeSource timeSource)
{
    m_timeSource = std::move(timeSource);
}

int64_t AspectEngine::now() const
{
    return m_timeSource ? m_timeSource() : steadyClockNanoseconds();
}

} // namespace Orvane
