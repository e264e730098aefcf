#include <Orvane/camera/stereo_view_math.h>

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

glm::mat4 convergenceShear(float k)
{
    glm::mat4 shear(1.0f);
    shear[2][0] = k;
    return shear;
}

StereoViews stereoViews(const glm::vec3 &position, const glm::vec3 &viewDirection, const glm::vec3 &up,
                        float eyeSeparation, float convergenceDistance, bool shearEnabled)
{
    const float halfSeparation = eyeSeparation * 0.5f;
    const glm::vec3 offset = glm::normalize(glm::cross(viewDirection, up)) * halfSeparation;
    const float k = shearEnabled ? halfSeparation / convergenceDistance : 0.0f;

    const glm::vec3 leftEye = position - offset;
    const glm::vec3 rightEye = position + offset;
    StereoViews views;
    views.left = convergenceShear(k) * lookAtView(leftEye, leftEye + viewDirection, up);
    views.right = convergenceShear(-k) * lookAtView(rightEye, rightEye + viewDirection, up);
    views.center = lookAtView(position, position + viewDirection, up);
    return views;
}

} // namespace Orvane
