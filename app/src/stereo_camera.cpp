#include "stereo_camera.h"

#include "camera_matrices.h"

#include <glm/geometric.hpp>

namespace ovi {

StereoCamera::StereoCamera()
{
    UpdateViewMatrices();
    UpdateProjectionMatrix();
}

StereoCamera::~StereoCamera() = default;

void StereoCamera::UpdateProjectionMatrix()
{
    projection = perspectiveProjection(aspectRatio, nearPlane, farPlane);
    Q_EMIT OnProjectionChanged();
}

void StereoCamera::UpdateViewMatrices()
{
    const glm::vec3 right = glm::normalize(glm::cross(forward, up));
    const glm::vec3 offset = right * eyeDisparity * 0.5f;
    // The shear that brings a point on the viewing axis at focusPlane to view x = 0 in both eyes.
    const float k = (shearEnabled ? 1.0f : 0.0f) * eyeDisparity * 0.5f / focusPlane;

    const glm::vec3 leftEye = position - offset;
    const glm::vec3 rightEye = position + offset;
    leftView = shear(k) * lookAt(leftEye, leftEye + forward, up);
    rightView = shear(-k) * lookAt(rightEye, rightEye + forward, up);
    centerView = lookAt(position, position + forward, up);
    Q_EMIT OnViewChanged();
}

void StereoCamera::SetViewportSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    aspectRatio = static_cast<float>(width) / static_cast<float>(height);
    UpdateProjectionMatrix();
}

} // namespace ovi
