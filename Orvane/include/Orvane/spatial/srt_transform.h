#pragma once

#include <Orvane/spatial/transform.h>

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

namespace Orvane {

// local = T · R · S: a point is scaled first, then rotated, then translated.
glm::mat4 composeSrt(const glm::vec3 &translation, const glm::quat &rotation, const glm::vec3 &scale);

// The usual transform: its local matrix is bound to scale, rotation and translation and follows every
// change of them at once. Assigning localTransform directly throws ReadOnlyProperty.
class SrtTransform : public Transform
{
public:
    SrtTransform();

    TbBindings::Property<glm::vec3> scale{ glm::vec3(1.0f) };
    // Identity is (w, x, y, z) = (1, 0, 0, 0).
    TbBindings::Property<glm::quat> rotation{ glm::quat(1.0f, 0.0f, 0.0f, 0.0f) };
    TbBindings::Property<glm::vec3> translation{ glm::vec3(0.0f) };
};

} // namespace Orvane
