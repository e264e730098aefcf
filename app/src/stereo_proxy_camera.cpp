#include "stereo_proxy_camera.h"

namespace ovi {

StereoProxyCamera::~StereoProxyCamera() = default;

} // namespace ovi
