#pragma once

#include <QObject>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

namespace ovi {

// The stereo parameters of the view and the matrices made from them: a left-eye, a right-eye and a centre
// view matrix, converged on the focus plane by shear (parallel eyes, off-axis frusta, never toe-in), plus
// the perspective projection. The application writes the fields directly and then calls the matching
// update; every update announces itself so the engine's camera can copy the result.
class StereoCamera : public QObject
{
    Q_OBJECT

public:
    // Vertical field of view of the projection, in degrees.
    static constexpr float fieldOfViewDegrees = 45.0f;

    StereoCamera();
    ~StereoCamera() override;

    // Recomputes `projection` from aspectRatio, nearPlane and farPlane, then emits OnProjectionChanged().
    void UpdateProjectionMatrix();
    // Recomputes the three view matrices from the pose and the stereo parameters, then emits OnViewChanged().
    void UpdateViewMatrices();

    // Follows a new size of the view: aspectRatio := width / height and the projection is recomputed.
    // An empty size (a minimised or collapsed window) keeps the last aspect ratio, so the projection
    // never becomes infinite or undefined.
    void SetViewportSize(int width, int height);

    glm::mat4 leftView{ 1.0f };
    glm::mat4 rightView{ 1.0f };
    glm::mat4 centerView{ 1.0f };
    glm::mat4 projection{ 1.0f };
    float eyeDisparity = 0.06f;
    float focusPlane = 10.0f;
    float nearPlane = 0.1f;
    float farPlane = 1000.0f;
    float aspectRatio = 1.0f;
    bool shearEnabled = true;
    glm::vec3 position{ 0.0f, 0.0f, 0.0f };
    glm::vec3 forward{ 0.0f, 0.0f, -1.0f };
    glm::vec3 up{ 0.0f, 1.0f, 0.0f };

Q_SIGNALS:
    void OnViewChanged();
    void OnProjectionChanged();
};

} // namespace ovi
