#include "orvane_impl.h"

#include <QLoggingCategory>
#include <QVersionNumber>

#include <stdexcept>

namespace ovi {

OrvaneImpl::OrvaneImpl()
    : vulkanWindow(static_cast<QScreen *>(nullptr))
{
}

OrvaneImpl::~OrvaneImpl() = default;

void OrvaneImpl::Initialize(CameraControl *, OrbitalStereoCamera &)
{
    vulkanInstance.setApiVersion(QVersionNumber(apiMajor, apiMinor, 0));
    // Validation messages reach the log once, through the layer itself, not a second time through Qt.
    vulkanInstance.setFlags(QVulkanInstance::NoDebugOutputRedirect);
    if (!vulkanInstance.create()) {
        static const char *const message = "Failed to create QVulkanInstance";
        qCritical("%s", message);
        throw std::runtime_error(message);
    }

    vulkanWindow.setSurfaceType(QSurface::VulkanSurface);
    vulkanWindow.setVulkanInstance(&vulkanInstance);
    vulkanWindow.create();
    windowSurface = QVulkanInstance::surfaceForWindow(&vulkanWindow);
}

} // namespace ovi
