#pragma once

#include <Orvane/camera/stereo_camera.h>

namespace ovi {

// The engine's camera entity: the application writes its three view matrices and its lens from the Qt-side
// camera, so the engine shows what that camera computed.
class StereoProxyCamera : public Orvane::StereoCamera
{
public:
    ~StereoProxyCamera() override;
};

} // namespace ovi
