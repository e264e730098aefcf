#include <Orvane/spatial/SpatialAspect.h>

#include "FlatTransformHierarchy.h"

#include <Orvane/core/AspectEngine.h>
#include <Orvane/spatial/LowestCommonAncestor.h>

#include <TbFoundation/Logging.h>

#include <array>
#include <utility>

namespace Orvane {

namespace {

Entity *entityOf(Component *component)
{
    return component->entity.get();
}

Entity *sameEntity(Entity *entity)
{
    return entity;
}

// The world matrix an entity's subtree starts from: that of the nearest ancestor with a transform.
glm::mat4 incomingMatrix(const Entity *start)
{
    for (const Entity *ancestor = start->parentEntity(); ancestor; ancestor = ancestor->parentEntity()) {
        if (const Transform *transform = ancestor->component<Transform>())
            return transform->worldTransform.get();
    }
    return glm::mat4(1.0f);
}

void propagateWorld(Entity *entity, const glm::mat4 &incoming)
{
    if (Transform *transform = entity->component<Transform>()) {
        const glm::mat4 world = incoming * transform->localTransform.get();
        transform->worldTransform = world;
        for (const auto &child : entity->childEntities())
            propagateWorld(child.get(), world);
    } else {
        for (const auto &child : entity->childEntities())
            propagateWorld(child.get(), incoming);
    }
}

void propagateVolumes(Entity *entity, const glm::mat4 &incoming)
{
    const Transform *transform = entity->component<Transform>();
    const glm::mat4 &matrix = transform ? transform->worldTransform.get() : incoming;
    for (const auto &component : entity->components()) {
        if (auto *volume = dynamic_cast<BoundingVolume *>(component.get()))
            volume->worldTransform = matrix;
    }
    for (const auto &child : entity->childEntities())
        propagateVolumes(child.get(), matrix);
}

} // namespace

SpatialAspect::Trackers::Trackers(SpatialAspect *aspect)
    : boundingVolumes(aspect, BoundingVolumesDirty)
    , transforms(aspect, TransformsDirty)
    , entities(aspect, EntitiesDirty, &transforms, &boundingVolumes)
{
}

SpatialAspect::SpatialAspect()
    : m_trackers(this)
    , m_logger(TbFoundation::getOrCreateLogger("spatial aspect", spdlog::level::info))
    , m_flatHierarchy(std::make_unique<FlatTransformHierarchy>())
{
    setObjectName("Spatial Aspect");
}

SpatialAspect::~SpatialAspect() = default;

void SpatialAspect::rootAboutToChange(Entity *oldRoot, Entity *)
{
    m_flatHierarchy->clear();
    if (!oldRoot)
        return;
    m_trackers.boundingVolumes.reset();
    m_trackers.transforms.reset();
    m_trackers.entities.reset();
}

void SpatialAspect::rootChanged(Entity *, Entity *newRoot)
{
    if (newRoot)
        m_trackers.entities.track(newRoot);
}

void SpatialAspect::processFrame()
{
    Entity *root = engine() ? engine()->rootEntity() : nullptr;
    Entity *transformSubtree = nullptr;
    const bool transformsDirty = (dirtyFlags & (EntitiesDirty | TransformsDirty)) != 0;

    if (transformsDirty) {
        // Any entity report means the tree's shape or an entity's components changed.
        if (!m_trackers.entities.added().empty() || !m_trackers.entities.changed().empty() ||
            !m_trackers.entities.removed().empty())
            m_flatHierarchy->clear();
        m_trackers.entities.takeRemoved(m_taken.entities);
        m_trackers.transforms.takeRemoved(m_taken.transforms);
        m_trackers.entities.takeAdded(m_taken.entities);
        m_trackers.entities.takeChanged(m_taken.moreEntities);
        m_trackers.transforms.takeAdded(m_taken.transforms);
        m_trackers.transforms.takeChanged(m_taken.moreTransforms);

        const std::array<Entity *, 4> partial{
            lowestCommonAncestor(m_taken.entities, root),
            lowestCommonAncestor(m_taken.moreEntities, root),
            lowestCommonAncestor(m_taken.transforms, entityOf, root),
            lowestCommonAncestor(m_taken.moreTransforms, entityOf, root),
        };
        transformSubtree = lowestCommonAncestor(partial, sameEntity, root);
        if (transformSubtree)
            propagateWorldTransforms(transformSubtree);
    }

    if ((dirtyFlags & BoundingVolumesDirty) || transformsDirty) {
        m_trackers.boundingVolumes.takeRemoved(m_taken.volumes);
        m_trackers.boundingVolumes.takeAdded(m_taken.volumes);
        m_trackers.boundingVolumes.takeChanged(m_taken.moreVolumes);
        // Without any tracked volume there is nothing to write: the walk is skipped.
        if (!m_trackers.boundingVolumes.tracked().empty()) {
            const std::array<Entity *, 3> partial{
                transformSubtree,
                lowestCommonAncestor(m_taken.volumes, entityOf, root),
                lowestCommonAncestor(m_taken.moreVolumes, entityOf, root),
            };
            if (Entity *volumeSubtree = lowestCommonAncestor(partial, sameEntity, root))
                propagateBoundingVolumes(volumeSubtree);
        }
    }

    dirtyFlags &= ~uint32_t(EntitiesDirty | TransformsDirty | BoundingVolumesDirty);
}

void SpatialAspect::propagateWorldTransforms(Entity *start)
{
    // A whole-tree recomputation goes through the flat walk order; building it costs about one ordinary
    // walk and is repaid from the second whole-tree frame with the same tree on. Subtrees are walked.
    Entity *root = engine() ? engine()->rootEntity() : nullptr;
    if (start == root) {
        if (!m_flatHierarchy->isBuilt())
            m_flatHierarchy->rebuild(root);
        m_flatHierarchy->propagate();
        return;
    }
    propagateWorld(start, incomingMatrix(start));
}

void SpatialAspect::propagateBoundingVolumes(Entity *start)
{
    propagateVolumes(start, incomingMatrix(start));
}

} // namespace Orvane
