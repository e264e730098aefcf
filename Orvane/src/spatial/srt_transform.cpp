#include <Orvane/spatial/srt_transform.h>

#include <TbBindings/create_binding.h>

namespace Orvane {

glm::mat4 composeSrt(const glm::vec3 &translation, const glm::quat &rotation, const glm::vec3 &scale)
{
    const float w = rotation.w, x = rotation.x, y = rotation.y, z = rotation.z;
    // Columns of R, each scaled by the matching scale factor (R · S), with the translation as the last.
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y), 0.0f) * scale.x;
    m[1] = glm::vec4(2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x), 0.0f) * scale.y;
    m[2] = glm::vec4(2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y), 0.0f) * scale.z;
    m[3] = glm::vec4(translation, 1.0f);
    return m;
}

SrtTransform::SrtTransform()
{
    localTransform = TbBindings::createBinding(
            [](const glm::vec3 &s, const glm::quat &r, const glm::vec3 &t) { return composeSrt(t, r, s); }, scale,
            rotation, translation);
}

} // namespace Orvane
