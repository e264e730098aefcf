#include <Orvane/camera/stereo_camera.h>

#include <Orvane/camera/camera_lens.h>

#include <glm/geometric.hpp>

namespace Orvane {

glm::mat4 lookAtView(const glm::vec3 &eye, const glm::vec3 &target, const glm::vec3 &up)
{
    const glm::vec3 f = glm::normalize(target - eye);
    const glm::vec3 s = glm::normalize(glm::cross(f, up));
    const glm::vec3 v = glm::cross(s, f);
    glm::mat4 view(1.0f);
    for (int c = 0; c < 3; ++c) {
        view[c][0] = s[c];
        view[c][1] = v[c];
        view[c][2] = -f[c];
    }
    view[3][0] = -glm::dot(s, eye);
    view[3][1] = -glm::dot(v, eye);
    view[3][2] = glm::dot(f, eye);
    return view;
}

StereoCamera::StereoCamera()
{
    createComponent<CameraLens>();
    convergencePlaneDistance.valueChanged().connect([this](const float &) { updateViewMatrices(); });
    interocularDistance.valueChanged().connect([this](const float &) { updateViewMatrices(); });
    shearEnabled.valueChanged().connect([this](const bool &) { updateViewMatrices(); });
}

CameraLens *StereoCamera::lens() const
{
    return component<CameraLens>();
}

void StereoCamera::updateViewMatrices()
{
    const glm::vec3 eyePosition = position.get();
    const glm::vec3 direction = viewDirection.get();
    const glm::vec3 up = upVector.get();
    const float halfSeparation = interocularDistance.get() * 0.5f;
    const glm::vec3 s = glm::normalize(glm::cross(direction, up)) * halfSeparation;
    // Without shear the eye matrices are the plain look-at matrices (also for a zero convergence distance).
    const float shear = shearEnabled.get() ? halfSeparation / convergencePlaneDistance.get() : 0.0f;

    const glm::vec3 leftEye = eyePosition + s;
    glm::mat4 leftShear(1.0f);
    leftShear[2][0] = -shear;
    leftEyeViewMatrix = leftShear * lookAtView(leftEye, leftEye + direction, up);

    const glm::vec3 rightEye = eyePosition - s;
    glm::mat4 rightShear(1.0f);
    rightShear[2][0] = shear;
    rightEyeViewMatrix = rightShear * lookAtView(rightEye, rightEye + direction, up);

    centerViewMatrix = lookAtView(eyePosition, eyePosition + direction, up);
}

} // namespace Orvane
