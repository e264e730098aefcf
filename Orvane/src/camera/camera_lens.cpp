#include <Orvane/camera/camera_lens.h>

#include <TbBindings/create_binding.h>

#include <cmath>

namespace Orvane {

glm::mat4 lensProjection(float fieldOfView, float aspectRatio, float left, float right, float bottom, float top,
                         float nearPlane, float farPlane, AbstractLens::ProjectionType type)
{
    glm::mat4 p(0.0f);
    if (type == AbstractLens::ProjectionType::Orthographic) {
        p[0][0] = 2.0f / (right - left);
        p[1][1] = 2.0f / (bottom - top);
        p[2][2] = -1.0f / (farPlane - nearPlane);
        p[3][0] = -(left + right) / (right - left);
        p[3][1] = -(bottom + top) / (bottom - top);
        p[3][2] = -nearPlane / (farPlane - nearPlane);
        p[3][3] = 1.0f;
        return p;
    }
    const float t = std::tan(fieldOfView * 0.017453292f * 0.5f);
    p[0][0] = 1.0f / (t * aspectRatio);
    p[1][1] = 1.0f / t;
    p[2][2] = farPlane / (nearPlane - farPlane);
    p[2][3] = -1.0f;
    p[3][2] = -(nearPlane * farPlane) / (farPlane - nearPlane);
    return p;
}

CameraLens::CameraLens()
{
    projectionMatrix = TbBindings::createBinding(lensProjection, fieldOfView, aspectRatio, left, right, bottom, top,
                                                 nearPlane, farPlane, projectionType);
    projectionMatrix.valueChanged().connect([this](const glm::mat4 &) { changed.emit(this); });
}

void CameraLens::setPerspectiveProjection(float fov, float aspect, float nearDistance, float farDistance)
{
    projectionType = ProjectionType::Perspective;
    fieldOfView = fov;
    aspectRatio = aspect;
    nearPlane = nearDistance;
    farPlane = farDistance;
}

} // namespace Orvane
