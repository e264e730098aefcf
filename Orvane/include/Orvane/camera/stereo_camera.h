#pragma once

#include <Orvane/camera/abstract_camera.h>
#include <Orvane/camera/stereo_view_math.h>

#include <TbBindings/property.h>

#include <glm/mat4x4.hpp>

namespace Orvane {

// A camera with a view per eye for multiview rendering, plus the centre view. The eyes sit
// interocularDistance apart across the view direction, the left eye on the left; with shear enabled both eyes'
// images coincide at convergencePlaneDistance in front of the camera (stereoViews). It creates its own
// CameraLens.
class StereoCamera : public AbstractCamera
{
public:
    StereoCamera();

    TbBindings::Property<float> convergencePlaneDistance{ 0.5f };
    TbBindings::Property<float> interocularDistance{ 0.0f };
    TbBindings::Property<bool> shearEnabled{ true };
    TbBindings::Property<glm::mat4> leftEyeViewMatrix{ glm::mat4(1.0f) };
    TbBindings::Property<glm::mat4> rightEyeViewMatrix{ glm::mat4(1.0f) };
    TbBindings::Property<glm::mat4> centerViewMatrix{ glm::mat4(1.0f) };

    bool isStereo() const override { return true; }
    // The first CameraLens among the camera's components.
    CameraLens *lens() const override;
    // Recomputes the three view matrices from position, viewDirection, upVector and the stereo settings.
    void updateViewMatrices() override;
};

} // namespace Orvane
