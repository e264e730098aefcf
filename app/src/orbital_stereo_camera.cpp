#include "orbital_stereo_camera.h"

#include <glm/geometric.hpp>

#include <cmath>

namespace ovi {

OrbitalStereoCamera::OrbitalStereoCamera()
{
    UpdatePosition();
}

OrbitalStereoCamera::~OrbitalStereoCamera() = default;

void OrbitalStereoCamera::UpdatePosition()
{
    position = target +
            radius * glm::vec3(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    UpdateViewMatrices();

    const glm::vec3 d = target - position;
    if (d == glm::vec3(0.0f))
        return; // no direction to look in: keep the previous forward
    forward = d / glm::length(d);
    UpdateViewMatrices();
}

} // namespace ovi
