#include <Orvane/spatial/transform.h>

#include <Orvane/core/entity.h>

namespace Orvane {

Transform::Transform()
{
    localTransform.valueChanged().connect([this](const glm::mat4 &) { changed.emit(this); });
    entity.valueChanged().connect([this](Entity *const &) { changed.emit(this); });
}

Transform::~Transform()
{
    destroyed.emit(this);
}

glm::mat4 worldMatrixOf(const Entity *entity)
{
    for (const Entity *e = entity; e; e = e->parentEntity()) {
        if (const Transform *transform = e->component<Transform>())
            return transform->worldTransform.get();
    }
    return glm::mat4(1.0f);
}

} // namespace Orvane
