#pragma once

#include <Orvane/camera/abstract_lens.h>

#include <glm/mat4x4.hpp>

namespace Orvane {

// The projection for the lens parameters: right-handed view space looking down -Z, clip depth 0..1.
// The perspective projection keeps Y up; the orthographic one maps `top` to -1 (Y flipped).
glm::mat4 lensProjection(float fieldOfView, float aspectRatio, float left, float right, float bottom, float top,
                         float nearPlane, float farPlane, AbstractLens::ProjectionType type);

// A lens whose projectionMatrix is bound to its nine parameters and follows every change at once.
class CameraLens : public AbstractLens
{
public:
    CameraLens();

    // Always bound: assigning it throws ReadOnlyProperty.
    TbBindings::Property<glm::mat4> projectionMatrix;

    // Sets the projection type, then the field of view, aspect ratio, near and far plane, in this order.
    void setPerspectiveProjection(float fieldOfView, float aspectRatio, float nearPlane, float farPlane);

    bool isStereo() const override { return false; }
};

} // namespace Orvane
