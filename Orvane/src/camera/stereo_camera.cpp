#include <Orvane/camera/stereo_camera.h>

#include <Orvane/camera/camera_lens.h>

namespace Orvane {

StereoCamera::StereoCamera()
{
    createComponent<CameraLens>();
    convergencePlaneDistance.valueChanged().connect([this](const float &) { updateViewMatrices(); });
    interocularDistance.valueChanged().connect([this](const float &) { updateViewMatrices(); });
    shearEnabled.valueChanged().connect([this](const bool &) { updateViewMatrices(); });
}

CameraLens *StereoCamera::lens() const
{
    return component<CameraLens>();
}

void StereoCamera::updateViewMatrices()
{
    const StereoViews views =
            stereoViews(position.get(), viewDirection.get(), upVector.get(), interocularDistance.get(),
                        convergencePlaneDistance.get(), shearEnabled.get());
    leftEyeViewMatrix = views.left;
    rightEyeViewMatrix = views.right;
    centerViewMatrix = views.center;
}

} // namespace Orvane
