#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The three matrix builders of the Qt-side stereo camera. Column-major, column vectors, right-handed view
// space looking down -Z, clip depth 0..1, no Y flip; m[c][r] is column c, row r.
namespace ovi {

// Vertical field of view of every projection the camera builds, in degrees.
inline constexpr float cameraFieldOfViewDegrees = 45.0f;

// Perspective projection with a 45 degree vertical field of view: view depth -nearPlane maps to 0 and
// -farPlane to 1.
glm::mat4 perspectiveProjection(float aspectRatio, float nearPlane, float farPlane);

// Right-handed look-at from eye towards center with the given up vector.
glm::mat4 lookAt(const glm::vec3 &eye, const glm::vec3 &center, const glm::vec3 &up);

// Identity with m[2][0] = k: adds k * z to view-space x. Converges two parallel eyes by an off-axis shear.
glm::mat4 shear(float k);

} // namespace ovi
