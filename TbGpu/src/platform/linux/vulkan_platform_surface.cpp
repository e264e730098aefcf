// Window surfaces on X11 through XCB. A Windows build puts its Win32 counterpart beside this file.
#define VK_USE_PLATFORM_XCB_KHR
#include "../../vulkan/vulkan_platform_surface.h"

namespace TbGpu {

const char *platformSurfaceExtensionName()
{
    return VK_KHR_XCB_SURFACE_EXTENSION_NAME;
}

VkResult createPlatformSurface(VkInstance instance, const SurfaceOptions &options, VkSurfaceKHR *surface)
{
    auto create = reinterpret_cast<PFN_vkCreateXcbSurfaceKHR>(vkGetInstanceProcAddr(instance, "vkCreateXcbSurfaceKHR"));
    if (!create || !options.connection || options.window == 0)
        return VK_ERROR_EXTENSION_NOT_PRESENT;
    VkXcbSurfaceCreateInfoKHR createInfo{ VK_STRUCTURE_TYPE_XCB_SURFACE_CREATE_INFO_KHR };
    createInfo.connection = static_cast<xcb_connection_t *>(options.connection);
    createInfo.window = options.window;
    return create(instance, &createInfo, nullptr, surface);
}

} // namespace TbGpu
