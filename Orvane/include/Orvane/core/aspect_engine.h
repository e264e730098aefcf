#pragma once

#include <Orvane/core/aspect.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace TbFoundation {
class CoreApplication;
}

namespace Orvane {

class Entity;
class LayerManager;

// Owns the aspects and the scene root and steps frames. While `running` is true every frame posts an
// UpdateEvent to the engine itself; the engine, installed as an event filter on the core application,
// runs the next frame when that event is delivered. One frame calls processFrame() of every aspect in
// registration order.
class AspectEngine : public TbFoundation::Object
{
public:
    // Nanoseconds of a monotonic clock.
    using TimeSource = std::function<int64_t()>;

    AspectEngine();
    // Stops (one last frame), destroys the scene, leaves the core application's filters, then destroys
    // the layer manager and the aspects in registration order.
    ~AspectEngine() override;

    // Setting it to true runs one frame and starts the frame chain; false runs one last frame and ends it.
    // It must never be bound: the destructor sets it.
    TbBindings::Property<bool> running{ false };
    // Frames per second over the last measuring window (a little over one second).
    TbBindings::Property<double> fps{ 0.0 };
    // Emitted with the new root, after the old tree is gone and before the aspects' rootChanged.
    TbBindings::Signal<Entity *> rootEntityChanged;

    // Takes ownership; registration order is frame order. An aspect added late is not told about an
    // engine start or a root that happened before.
    template<std::derived_from<Aspect> A>
    A *addAspect(std::unique_ptr<A> aspect)
    {
        A *raw = aspect.get();
        adoptAspect(std::unique_ptr<Aspect>(std::move(aspect)));
        return raw;
    }

    // Replaces the scene: aspects see rootAboutToChange (old tree alive), the old tree is destroyed,
    // rootEntityChanged fires, then aspects see rootChanged. Passing the current root does nothing.
    void setRootEntity(std::unique_ptr<Entity> root);

    Entity *rootEntity() const noexcept { return m_rootEntity.get(); }
    LayerManager *layerManager() const noexcept { return m_layerManager.get(); }
    const std::vector<std::unique_ptr<Aspect>> &aspects() const noexcept { return m_aspects; }

    // Runs a frame for an UpdateEvent addressed to this engine (and ends that event's delivery); every
    // other event passes through untouched.
    void event(TbFoundation::EventReceiver *target, TbFoundation::Event *e) override;

    // Posts an UpdateEvent to this engine unless one is already on its way, so that at most one frame
    // request is queued at any time. A request that dies without reaching the engine (dropped from the
    // queue, or accepted by an earlier event filter) no longer counts as on its way.
    void requestUpdate();

    // One engine frame; normally run by the delivered UpdateEvent.
    void processFrame();

    uint64_t frameNumber() const noexcept { return m_frameNumber; }
    int64_t startTime() const noexcept { return m_startTime; }
    int64_t currentFrameTime() const noexcept { return m_currentFrameTime; }
    int64_t previousFrameTime() const noexcept { return m_previousFrameTime; }

    // Replaces the steady clock, e.g. by a scripted one.
    void setTimeSource(TimeSource timeSource);

private:
    class FrameRequest;

    void adoptAspect(std::unique_ptr<Aspect> aspect);
    void onRunningChanged(bool running);
    void startSequence();
    void stopSequence();
    int64_t now() const;

    std::vector<std::unique_ptr<Aspect>> m_aspects;
    std::shared_ptr<spdlog::logger> m_logger;
    int64_t m_startTime = 0;
    int64_t m_currentFrameTime = 0;
    int64_t m_previousFrameTime = 0;
    uint32_t m_windowFrameCount = 0;
    uint64_t m_frameNumber = 0;
    int64_t m_windowStart = 0;
    std::unique_ptr<LayerManager> m_layerManager;
    std::unique_ptr<Entity> m_rootEntity;

    TimeSource m_timeSource;
    // The core application this engine filters events of (null without one).
    TbFoundation::CoreApplication *m_filteredApplication = nullptr;
    // The frame request posted and not yet delivered or destroyed; null when none is on its way.
    FrameRequest *m_pendingUpdate = nullptr;
};

} // namespace Orvane
