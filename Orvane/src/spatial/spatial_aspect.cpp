#include <Orvane/spatial/spatial_aspect.h>

#include "flat_transform_hierarchy.h"

#include <Orvane/core/aspect_engine.h>
#include <Orvane/spatial/lowest_common_ancestor.h>

#include <TbFoundation/logging.h>

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

// How often one frame walks the tree again after slots changed it under a walk. Beyond that the rest is
// left to the next frame, so that slots changing the tree on every write cannot hold the frame forever.
constexpr int MaxWalkRestarts = 4;

// Whether the slots set off by the last write changed the tree: every report of the entity tracker (an
// entity added, taken out, destroyed or given other components; a new root) raises EntitiesDirty.
bool treeChanged(const uint32_t &dirtyFlags)
{
    return (dirtyFlags & SpatialAspect::EntitiesDirty) != 0;
}

// Both walks return false at the first write that changed the tree: from there on neither the entity nor
// the child list being walked may be touched.
bool propagateWorld(Entity *entity, const glm::mat4 &incoming, const uint32_t &dirtyFlags)
{
    if (Transform *transform = entity->component<Transform>()) {
        const glm::mat4 world = incoming * transform->localTransform.get();
        transform->worldTransform = world;
        if (treeChanged(dirtyFlags))
            return false;
        for (const auto &child : entity->childEntities()) {
            if (!propagateWorld(child.get(), world, dirtyFlags))
                return false;
        }
    } else {
        for (const auto &child : entity->childEntities()) {
            if (!propagateWorld(child.get(), incoming, dirtyFlags))
                return false;
        }
    }
    return true;
}

bool propagateVolumes(Entity *entity, const glm::mat4 &incoming, const uint32_t &dirtyFlags)
{
    const Transform *transform = entity->component<Transform>();
    const glm::mat4 &matrix = transform ? transform->worldTransform.get() : incoming;
    for (const auto &component : entity->components()) {
        if (auto *volume = dynamic_cast<BoundingVolume *>(component.get())) {
            volume->worldTransform = matrix;
            if (treeChanged(dirtyFlags))
                return false;
        }
    }
    for (const auto &child : entity->childEntities()) {
        if (!propagateVolumes(child.get(), matrix, dirtyFlags))
            return false;
    }
    return true;
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
    // The tree goes away even when no new one is tracked after it: a walk under way must stop.
    dirtyFlags |= EntitiesDirty;
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
    Entity *root = currentRoot();
    Entity *transformSubtree = nullptr;
    // Taken before any matrix is written: what slots report during the walks stays raised for the next
    // frame.
    const uint32_t flags = std::exchange(dirtyFlags, 0u);
    const bool wholeTree = std::exchange(m_wholeTreeDirty, false);
    const bool transformsDirty = wholeTree || (flags & (EntitiesDirty | TransformsDirty)) != 0;

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
        transformSubtree = wholeTree ? root : lowestCommonAncestor(partial, sameEntity, root);
        if (transformSubtree)
            transformSubtree = propagateWorldTransforms(transformSubtree);
    }

    if ((flags & BoundingVolumesDirty) || transformsDirty) {
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
}

Entity *SpatialAspect::propagateWorldTransforms(Entity *start)
{
    return walkUntilTheTreeHolds(start, [this](Entity *from) {
        // A whole-tree recomputation goes through the flat walk order; building it costs about one
        // ordinary walk and is repaid from the second whole-tree frame with the same tree on. Subtrees are
        // walked.
        if (from == currentRoot()) {
            if (!m_flatHierarchy->isBuilt())
                m_flatHierarchy->rebuild(from);
            return m_flatHierarchy->propagate(dirtyFlags, EntitiesDirty);
        }
        return propagateWorld(from, incomingMatrix(from), dirtyFlags);
    });
}

Entity *SpatialAspect::propagateBoundingVolumes(Entity *start)
{
    return walkUntilTheTreeHolds(
            start, [this](Entity *from) { return propagateVolumes(from, incomingMatrix(from), dirtyFlags); });
}

template<typename Walk>
Entity *SpatialAspect::walkUntilTheTreeHolds(Entity *start, Walk walk)
{
    // A walk watches EntitiesDirty, so it starts with the bit clear; the reports behind it are still in the
    // tracker's lists, and the bit is raised again for the next frame to take them.
    uint32_t treeReports = dirtyFlags & EntitiesDirty;
    for (int restarts = 0; start; ++restarts) {
        dirtyFlags &= ~uint32_t(EntitiesDirty);
        const bool completed = walk(start);
        treeReports |= dirtyFlags & EntitiesDirty;
        if (completed)
            break;
        // The walk order no longer describes the tree, and `start` may be gone.
        m_flatHierarchy->clear();
        start = currentRoot();
        if (restarts == MaxWalkRestarts) {
            m_logger->warn("The tree kept changing while world matrices were written; the rest is left to "
                           "the next frame");
            m_wholeTreeDirty = true;
            break;
        }
    }
    dirtyFlags |= treeReports;
    return start;
}

Entity *SpatialAspect::currentRoot() const
{
    return engine() ? engine()->rootEntity() : nullptr;
}

} // namespace Orvane
