#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

#include <glm/mat4x4.hpp>

namespace Orvane {

// A volume attached to an entity whose world matrix the spatial aspect keeps up to date: the world matrix
// of the entity's transform, or of the nearest ancestor's when the entity has none. Shapes derive from it.
class BoundingVolume : public Component
{
public:
    BoundingVolume();
    ~BoundingVolume() override;

    // Written by the spatial aspect only.
    TbBindings::Property<glm::mat4> worldTransform{ glm::mat4(1.0f) };

    TbBindings::Signal<BoundingVolume *> destroyed;
    // Emitted when the volume moves to another entity, and by shapes when their extents change.
    TbBindings::Signal<BoundingVolume *> changed;
};

} // namespace Orvane
