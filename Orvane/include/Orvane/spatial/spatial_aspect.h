#pragma once

#include <Orvane/core/aspect.h>
#include <Orvane/spatial/spatial_trackers.h>

#include <glm/mat4x4.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class FlatTransformHierarchy;

// Keeps the world matrices of transforms and bounding volumes up to date, once per frame, recomputing
// only the smallest subtree that contains every change since the previous frame.
class SpatialAspect : public Aspect
{
public:
    enum DirtyFlag : uint32_t {
        EntitiesDirty = 1,
        TransformsDirty = 2,
        BoundingVolumesDirty = 4,
    };

    SpatialAspect();
    ~SpatialAspect() override;

    void rootAboutToChange(Entity *oldRoot, Entity *newRoot) override;
    void rootChanged(Entity *oldRoot, Entity *newRoot) override;
    void processFrame() override;

    Spatial::BoundingVolumeTracker &boundingVolumeTracker() noexcept { return m_trackers.boundingVolumes; }
    Spatial::TransformTracker &transformTracker() noexcept { return m_trackers.transforms; }
    Spatial::EntityTracker &entityTracker() noexcept { return m_trackers.entities; }

    // Raised by the trackers, cleared by processFrame().
    uint32_t dirtyFlags = 0;

private:
    struct Trackers {
        explicit Trackers(SpatialAspect *aspect);
        Spatial::BoundingVolumeTracker boundingVolumes;
        Spatial::TransformTracker transforms;
        Spatial::EntityTracker entities;
    };

    // Slots connected to the matrices written below run during the walk and may change the tree under it
    // (destroy, add or move entities, replace the root). A walk stops at the first write after which the
    // entity tracker reported anything, and the walk is made again over the whole tree as it now is; the
    // reports stay for the next frame. Both return the entity the completed walk started from (null when
    // there is no tree left).
    //
    // Sets world = incoming · local for every transform from `start` down (an entity without a transform
    // passes its incoming matrix on).
    Entity *propagateWorldTransforms(Entity *start);
    // Gives every bounding volume from `start` down the world matrix of its entity's transform (or the
    // incoming one when the entity has none).
    Entity *propagateBoundingVolumes(Entity *start);
    // Runs walk(start) (true when it completed) until a walk completes without the tree changing under it.
    template<typename Walk>
    Entity *walkUntilTheTreeHolds(Entity *start, Walk walk);
    Entity *currentRoot() const;

    // The trackers' lists as taken in a frame; kept between frames so that their storage is reused.
    struct TakenLists {
        std::vector<Entity *> entities;
        std::vector<Entity *> moreEntities;
        std::vector<Transform *> transforms;
        std::vector<Transform *> moreTransforms;
        std::vector<BoundingVolume *> volumes;
        std::vector<BoundingVolume *> moreVolumes;
    };

    Trackers m_trackers;
    std::shared_ptr<spdlog::logger> m_logger;
    TakenLists m_taken;
    // The tree's transforms in walk order, for recomputing the whole tree; dropped on every change of the
    // tree's shape or components.
    std::unique_ptr<FlatTransformHierarchy> m_flatHierarchy;
    // Set when slots kept changing the tree during every walk of a frame: the walks were given up, and the
    // next frame recomputes the whole tree.
    bool m_wholeTreeDirty = false;
};

} // namespace Orvane
