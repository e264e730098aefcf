#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

#include <glm/mat4x4.hpp>

namespace Orvane {

// Places its entity: a local matrix relative to the parent entity's transform, and the world matrix the
// spatial aspect derives from it once per frame (world = parent world · local).
class Transform : public Component
{
public:
    Transform();
    ~Transform() override;

    // Each matrix starts a cache line of its own, so that recomputing a world matrix touches as few lines
    // as possible.
    alignas(64) TbBindings::Property<glm::mat4> localTransform{ glm::mat4(1.0f) };
    // Written by the spatial aspect only.
    alignas(64) TbBindings::Property<glm::mat4> worldTransform{ glm::mat4(1.0f) };

    TbBindings::Signal<Transform *> destroyed;
    // Emitted when localTransform changes value and when the transform moves to another entity.
    TbBindings::Signal<Transform *> changed;
};

class Entity;

// Where the entity sits in the world: the world transform of its first Transform component or, without one, of
// its nearest ancestor that has one; the identity when none has.
glm::mat4 worldMatrixOf(const Entity *entity);

} // namespace Orvane
