#pragma once

#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// The framebuffers-pool record.
struct VulkanFramebuffer {
    VkFramebuffer framebuffer{ VK_NULL_HANDLE };
};

} // namespace TbGpu
