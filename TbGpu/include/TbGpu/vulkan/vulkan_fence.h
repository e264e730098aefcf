#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The fences-pool record.
struct VulkanFence {
    VkFence fence{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
