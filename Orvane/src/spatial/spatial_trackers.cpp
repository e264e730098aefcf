#include <Orvane/spatial/spatial_trackers.h>

#include <Orvane/spatial/spatial_aspect.h>

namespace Orvane::Spatial {

bool TransformTracker::track(Transform *transform)
{
    if (!SceneGraphTracker::track(transform))
        return false;
    if (Entity *owner = transform->entity.get()) {
        for (Entity *ancestor = owner->parentEntity(); ancestor; ancestor = ancestor->parentEntity()) {
            if (Transform *above = ancestor->component<Transform>()) {
                track(above);
                break;
            }
        }
    }
    return true;
}

EntityTracker::EntityTracker(SpatialAspect *aspect, uint32_t dirtyBit, TransformTracker *transforms,
                             BoundingVolumeTracker *boundingVolumes)
    : EntityTrackerBase(aspect, dirtyBit)
    , m_transforms(transforms)
    , m_boundingVolumes(boundingVolumes)
{
}

void EntityTracker::registerComponentsToTrack(Entity *entity)
{
    addConnection(entity, entity->componentsChanged.connect([this](Entity *changed) { trackTransformOf(changed); }));
    trackTransformOf(entity);
    addConnection(entity,
                  entity->componentsChanged.connect([this](Entity *changed) { trackBoundingVolumesOf(changed); }));
    trackBoundingVolumesOf(entity);
}

void EntityTracker::unregisterComponentsToTrack(Entity *entity)
{
    for (const auto &component : entity->components()) {
        if (auto *transform = dynamic_cast<Transform *>(component.get()))
            m_transforms->untrack(transform);
        if (auto *volume = dynamic_cast<BoundingVolume *>(component.get()))
            m_boundingVolumes->untrack(volume);
    }
}

void EntityTracker::trackTransformOf(Entity *entity)
{
    if (Transform *transform = entity->component<Transform>())
        m_transforms->track(transform);
}

void EntityTracker::trackBoundingVolumesOf(Entity *entity)
{
    for (const auto &component : entity->components()) {
        if (auto *volume = dynamic_cast<BoundingVolume *>(component.get()))
            m_boundingVolumes->track(volume);
    }
}

} // namespace Orvane::Spatial
