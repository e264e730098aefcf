#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

namespace Orvane {

// The parameters of a camera's projection. Angles are in degrees; the aspect ratio is width / height.
class AbstractLens : public Component
{
public:
    enum class ProjectionType : int {
        Perspective = 0,
        Orthographic = 1,
    };

    AbstractLens() = default;
    ~AbstractLens() override;

    TbBindings::Property<float> nearPlane{ 0.1f };
    TbBindings::Property<float> farPlane{ 1000.0f };
    TbBindings::Property<ProjectionType> projectionType{ ProjectionType::Perspective };
    // Vertical field of view, degrees.
    TbBindings::Property<float> fieldOfView{ 25.0f };
    TbBindings::Property<float> aspectRatio{ 1.0f };
    TbBindings::Property<float> left{ -0.5f };
    TbBindings::Property<float> right{ 0.5f };
    TbBindings::Property<float> bottom{ -0.5f };
    TbBindings::Property<float> top{ 0.5f };

    TbBindings::Signal<AbstractLens *> destroyed;
    // Emitted whenever the projection matrix changes value.
    TbBindings::Signal<AbstractLens *> changed;

    // Whether the lens gives each eye a projection of its own; a single shared projection answers false.
    virtual bool isStereo() const = 0;
};

} // namespace Orvane
