#include "camera_matrices.h"

#include <glm/geometric.hpp>

#include <cmath>

namespace ovi {

glm::mat4 perspectiveProjection(float aspectRatio, float nearPlane, float farPlane)
{
    // Half of 45 degrees in radians, in single precision.
    const float t = std::tan(0.3926991f);
    glm::mat4 m(0.0f);
    m[0][0] = 1.0f / (t * aspectRatio);
    m[1][1] = 1.0f / t;
    m[2][2] = farPlane / (nearPlane - farPlane);
    m[2][3] = -1.0f;
    m[3][2] = -(farPlane * nearPlane) / (farPlane - nearPlane);
    return m;
}

glm::mat4 lookAt(const glm::vec3 &eye, const glm::vec3 &center, const glm::vec3 &up)
{
    const glm::vec3 f = glm::normalize(center - eye);
    const glm::vec3 s = glm::normalize(glm::cross(f, up));
    const glm::vec3 v = glm::cross(s, f);
    glm::mat4 m(1.0f);
    m[0][0] = s.x;
    m[1][0] = s.y;
    m[2][0] = s.z;
    m[0][1] = v.x;
    m[1][1] = v.y;
    m[2][1] = v.z;
    m[0][2] = -f.x;
    m[1][2] = -f.y;
    m[2][2] = -f.z;
    m[3][0] = -glm::dot(s, eye);
    m[3][1] = -glm::dot(v, eye);
    m[3][2] = glm::dot(f, eye);
    return m;
}

glm::mat4 shear(float k)
{
    glm::mat4 m(1.0f);
    m[2][0] = k;
    return m;
}

} // namespace ovi
