#pragma once

#include <TbGpu/surface_options.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// The window-system surface of the platform the library is built for (src/platform/<os>/).
const char *platformSurfaceExtensionName();
// Fails with VK_ERROR_EXTENSION_NOT_PRESENT when the instance lacks the entry point or the window is missing.
VkResult createPlatformSurface(VkInstance instance, const SurfaceOptions &options, VkSurfaceKHR *surface);

} // namespace TbGpu
