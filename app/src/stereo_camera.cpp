#include "stereo_camera.h"

#include <Orvane/camera/camera_lens.h>
#include <Orvane/camera/stereo_view_math.h>

namespace ovi {

StereoCamera::StereoCamera()
{
    UpdateViewMatrices();
    UpdateProjectionMatrix();
}

StereoCamera::~StereoCamera() = default;

void StereoCamera::UpdateProjectionMatrix()
{
    // The engine camera's lens gets the same four values, so both sides compute the same projection.
    projection = Orvane::lensProjection(fieldOfViewDegrees, aspectRatio, -0.5f, 0.5f, -0.5f, 0.5f, nearPlane, farPlane,
                                        Orvane::AbstractLens::ProjectionType::Perspective);
    Q_EMIT OnProjectionChanged();
}

void StereoCamera::UpdateViewMatrices()
{
    const Orvane::StereoViews views =
            Orvane::stereoViews(position, forward, up, eyeDisparity, focusPlane, shearEnabled);
    leftView = views.left;
    rightView = views.right;
    centerView = views.center;
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
