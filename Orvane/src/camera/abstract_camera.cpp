#include <Orvane/camera/abstract_camera.h>

#include <Orvane/spatial/transform.h>

#include <glm/vec4.hpp>

namespace Orvane {

AbstractCamera::AbstractCamera()
{
    m_transform = addComponent(std::make_unique<Transform>());
    m_transform->worldTransform.valueChanged().connect([this](const glm::mat4 &) {
        updateFrameFromTransform();
        updateViewMatrices();
    });
}

AbstractCamera::~AbstractCamera() = default;

void AbstractCamera::updateFrameFromTransform()
{
    glm::mat4 frame = m_transform->worldTransform.get();
    // A world matrix still at identity means the spatial aspect has not placed the camera yet.
    if (frame == glm::mat4(1.0f))
        frame = m_transform->localTransform.get();
    position = glm::vec3(frame * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    upVector = glm::vec3(frame * glm::vec4(0.0f, 1.0f, 0.0f, 0.0f));
    viewDirection = glm::vec3(frame * glm::vec4(0.0f, 0.0f, -1.0f, 0.0f));
}

} // namespace Orvane
