#pragma once

#include <Orvane/core/entity.h>
#include <Orvane/core/scene_graph_tracker.h>

namespace Orvane {

// The entity tracker of an aspect: tracking an entity follows its whole subtree, now and as it grows.
// Each aspect hands the components it cares about to its component trackers in registerComponentsToTrack.
template<typename AspectT>
class EntityTrackerBase : public SceneGraphTracker<AspectT, Entity>
{
    using Base = SceneGraphTracker<AspectT, Entity>;

public:
    using Base::Base;

    // Tracks `entity` and every descendant, depth first. A subtree is followed only once: an entity that is
    // already tracked returns false. A child taken out of a tracked entity stops being followed with its
    // whole subtree and their components, as if destroyed; putting it back anywhere in the tree follows it
    // again.
    bool track(Entity *entity) override
    {
        if (!Base::track(entity))
            return false;
        registerComponentsToTrack(entity);
        this->addConnection(entity, entity->childEntityAdded.connect([this](Entity *child) { track(child); }));
        this->addConnection(entity,
                            entity->childEntityRemoved.connect([this](Entity *child) { untrackSubtree(child); }));
        for (const auto &child : entity->childEntities())
            track(child.get());
        return true;
    }

protected:
    // Connections made here for `entity` belong under it (addConnection), so that they are cut with it.
    virtual void registerComponentsToTrack(Entity *entity) = 0;
    // Stops following the components registerComponentsToTrack handed out for `entity`, which leaves the
    // scene (their trackers report them removed).
    virtual void unregisterComponentsToTrack(Entity *entity) = 0;

private:
    // A subtree that leaves the tree is still alive: its members keep emitting, and a piece of it may come
    // back under another parent. Each member is let go here, so that nothing outside the scene is reported
    // and a piece put back is tracked (and reported added) afresh.
    void untrackSubtree(Entity *entity)
    {
        if (!this->isTracked(entity))
            return;
        unregisterComponentsToTrack(entity);
        this->untrack(entity);
        for (const auto &child : entity->childEntities())
            untrackSubtree(child.get());
    }
};

} // namespace Orvane
