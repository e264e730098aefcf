#include <Orvane/spatial/transform.h>

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

} // namespace Orvane
