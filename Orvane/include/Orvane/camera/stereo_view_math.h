#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// The view matrices of a stereo pair, shared by every camera that renders one. Column-major, column vectors,
// right-handed view space looking down -Z; m[c][r] is column c, row r.
namespace Orvane {

// Right-handed look-at view matrix of an eye at `eye` looking at `target`.
glm::mat4 lookAtView(const glm::vec3 &eye, const glm::vec3 &target, const glm::vec3 &up);

// The identity with m[2][0] = k: adds k * z to view-space x. Two parallel eyes converge by this shear (an
// off-axis frustum), never by turning towards each other.
glm::mat4 convergenceShear(float k);

struct StereoViews {
    glm::mat4 left{ 1.0f };
    glm::mat4 right{ 1.0f };
    glm::mat4 center{ 1.0f };
};

// The views of two eyes `eyeSeparation` apart across the view direction, the left eye on the left (at
// position - normalize(viewDirection x up) * eyeSeparation / 2), plus the view from the point between them.
// With shear the eyes converge at `convergenceDistance` in front of the camera: a point on the viewing axis at
// that distance lands at view x = 0 in both eyes, a nearer point at +x in the left eye and -x in the right.
// Without shear the eyes are plain look-at views (any convergence distance, zero included).
StereoViews stereoViews(const glm::vec3 &position, const glm::vec3 &viewDirection, const glm::vec3 &up,
                        float eyeSeparation, float convergenceDistance, bool shearEnabled);

} // namespace Orvane
