#pragma once

#include <Orvane/core/aspect.h>
#include <Orvane/core/entity_tracker_base.h>
#include <Orvane/core/scene_graph_tracker.h>
#include <Orvane/logic/frame_action.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class LogicAspect;

namespace Logic {

class FrameActionTracker : public SceneGraphTracker<LogicAspect, FrameAction>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
};

// Hands every frame action of each tracked entity to the frame-action tracker, now and whenever the
// entity's components change; takes them back when the entity leaves the tree.
class EntityTracker : public EntityTrackerBase<LogicAspect>
{
public:
    EntityTracker(LogicAspect *aspect, uint32_t dirtyBit, FrameActionTracker *frameActions);

protected:
    void registerComponentsToTrack(Entity *entity) override;
    void unregisterComponentsToTrack(Entity *entity) override;

private:
    void trackFrameActionsOf(Entity *entity);

    FrameActionTracker *m_frameActions;
};

} // namespace Logic

// Fires `triggered` of every enabled frame action in the scene once per frame, in order of appearance.
class LogicAspect : public Aspect
{
public:
    enum DirtyFlag : uint32_t {
        EntitiesDirty = 1,
        FrameActionsDirty = 2,
    };

    LogicAspect();
    ~LogicAspect() override;

    void rootAboutToChange(Entity *oldRoot, Entity *newRoot) override;
    void rootChanged(Entity *oldRoot, Entity *newRoot) override;
    void processFrame() override;

    // In order of appearance. While the actions fire, the places of those destroyed or taken out meanwhile
    // hold null.
    const std::vector<FrameAction *> &frameActions() const noexcept { return m_frameActions; }
    Logic::EntityTracker &entityTracker() noexcept { return *m_entityTracker; }
    Logic::FrameActionTracker &frameActionTracker() noexcept { return *m_frameActionTracker; }

    // Raised by the trackers, cleared by processFrame().
    uint32_t dirtyFlags = 0;

private:
    void triggerFrameActions();
    void blankActionsRemovedSince(std::size_t removedBefore);

    std::shared_ptr<spdlog::logger> m_logger;
    std::vector<FrameAction *> m_frameActions;
    std::unique_ptr<Logic::FrameActionTracker> m_frameActionTracker;
    std::unique_ptr<Logic::EntityTracker> m_entityTracker;
};

} // namespace Orvane
