#pragma once

#include <Orvane/core/entity.h>

#include <TbBindings/property.h>

#include <glm/vec3.hpp>

namespace Orvane {

class CameraLens;
class Transform;

// An entity that knows where it is and where it looks. Its frame comes from its own transform: whenever
// the transform gets a new world matrix, position, viewDirection and upVector are derived from it and the
// view matrices are recomputed.
class AbstractCamera : public Entity
{
public:
    AbstractCamera();
    ~AbstractCamera() override;

    TbBindings::Property<glm::vec3> position{ glm::vec3(0.0f) };
    // Not normalised.
    TbBindings::Property<glm::vec3> viewDirection{ glm::vec3(0.0f) };
    TbBindings::Property<glm::vec3> upVector{ glm::vec3(0.0f) };

    // Whether the camera renders a view per eye.
    virtual bool isStereo() const = 0;
    virtual CameraLens *lens() const = 0;
    virtual void updateViewMatrices() = 0;

    // The plain transform the camera creates for itself.
    Transform *transform() const noexcept { return m_transform; }

private:
    void updateFrameFromTransform();

    Transform *m_transform = nullptr;
};

} // namespace Orvane
