#pragma once

#include <Orvane/core/Entity.h>
#include <Orvane/core/SceneGraphTracker.h>

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
    // already tracked returns false.
    bool track(Entity *entity) override
    {
        if (!Base::track(entity))
            return false;
        registerComponentsToTrack(entity);
        this->addConnection(entity, entity->childEntityAdded.connect([this](Entity *child) { track(child); }));
        this->addConnection(entity, entity->childEntityRemoved.connect([this](Entity *child) {
            this->disconnect(child);
            this->nodeDestroyed(child);
        }));
        for (const auto &child : entity->childEntities())
            track(child.get());
        return true;
    }

protected:
    // Connections made here for `entity` belong under it (addConnection), so that they are cut with it.
    virtual void registerComponentsToTrack(Entity *entity) = 0;
};

} // namespace Orvane
