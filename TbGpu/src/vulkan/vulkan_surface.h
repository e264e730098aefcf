#pragma once

#include <TbGpu/api/api_plain_records.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// The surfaces-pool record. An adopted surface (isOwned false) is never destroyed by the library.
struct VulkanSurface : public ApiSurface {
    VkSurfaceKHR surface{ VK_NULL_HANDLE };
    VkInstance instance{ VK_NULL_HANDLE };
    bool isOwned{ true };
};

} // namespace TbGpu
