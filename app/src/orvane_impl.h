#pragma once

// Qt's Vulkan header defines VK_NO_PROTOTYPES; the real prototypes must come first.
#include <vulkan/vulkan.h>

#include <QVulkanInstance>
#include <QWindow>

namespace ovi {

class CameraControl;
class OrbitalStereoCamera;

// The engine bundle of the application: the Qt Vulkan instance and the Qt window it draws into. Members are
// destroyed in reverse order, so the window (and with it the surface Qt made for it) goes before the
// instance.
class OrvaneImpl
{
public:
    // Vulkan API version requested from the driver.
    static constexpr int apiMajor = 1;
    static constexpr int apiMinor = 2;

    OrvaneImpl();
    ~OrvaneImpl();

    OrvaneImpl(const OrvaneImpl &) = delete;
    OrvaneImpl &operator=(const OrvaneImpl &) = delete;

    // Creates the Vulkan 1.2 instance and makes the window a Vulkan window with a surface. On failure it
    // logs "Failed to create QVulkanInstance" as critical and throws std::runtime_error with that text.
    // The panel is handed over for the engine set-up but not used.
    void Initialize(CameraControl *cameraControl, OrbitalStereoCamera &camera);

    // The window's surface, made by Qt and owned by it; VK_NULL_HANDLE before Initialize.
    VkSurfaceKHR surface() const { return windowSurface; }

    QVulkanInstance vulkanInstance;
    QWindow vulkanWindow;

private:
    VkSurfaceKHR windowSurface = VK_NULL_HANDLE;
};

} // namespace ovi
