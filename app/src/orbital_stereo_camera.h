#pragma once

#include "stereo_camera.h"

namespace ovi {

// A stereo camera on a sphere around `target`, looking at it. phi is the azimuth in the X-Z plane from +X
// towards +Z, theta the polar angle from +Y, both in radians.
class OrbitalStereoCamera : public StereoCamera
{
    Q_OBJECT

public:
    // theta is kept this far from both poles so the view direction never becomes parallel to `up`.
    static constexpr float minimumTheta = 0.001f;
    static constexpr float maximumTheta = 3.1405928f; // pi - 0.001 in single precision

    OrbitalStereoCamera();
    ~OrbitalStereoCamera() override;

    // Recomputes position and forward from the orbit and refreshes the view matrices. Emits OnViewChanged()
    // twice unless the camera sits on its target; the second emission carries the final matrices.
    void UpdatePosition();

    float radius = 20.0f;
    float phi = 0.0f;
    float theta = minimumTheta;
    glm::vec3 target{ 0.0f, 0.0f, 0.0f };
};

} // namespace ovi
