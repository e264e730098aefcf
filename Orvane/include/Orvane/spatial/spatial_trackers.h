#pragma once

#include <Orvane/core/entity_tracker_base.h>
#include <Orvane/core/scene_graph_tracker.h>
#include <Orvane/spatial/bounding_volume.h>
#include <Orvane/spatial/transform.h>

namespace Orvane {

class SpatialAspect;

namespace Spatial {

class BoundingVolumeTracker : public SceneGraphTracker<SpatialAspect, BoundingVolume>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
};

// Tracking a transform also tracks the transform of the nearest ancestor entity that has one (and so on
// upwards).
class TransformTracker : public SceneGraphTracker<SpatialAspect, Transform>
{
public:
    using SceneGraphTracker::SceneGraphTracker;

    bool track(Transform *transform) override;
};

// Hands each tracked entity's first transform and all of its bounding volumes to their trackers, now and
// whenever the entity's components change; takes them back when the entity leaves the tree.
class EntityTracker : public EntityTrackerBase<SpatialAspect>
{
public:
    EntityTracker(SpatialAspect *aspect, uint32_t dirtyBit, TransformTracker *transforms,
                  BoundingVolumeTracker *boundingVolumes);

protected:
    void registerComponentsToTrack(Entity *entity) override;
    void unregisterComponentsToTrack(Entity *entity) override;

private:
    void trackTransformOf(Entity *entity);
    void trackBoundingVolumesOf(Entity *entity);

    TransformTracker *m_transforms;
    BoundingVolumeTracker *m_boundingVolumes;
};

} // namespace Spatial
} // namespace Orvane
