#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The command-recorders-pool record.
struct VulkanCommandRecorder {
    VkCommandPool commandPool{ VK_NULL_HANDLE };
    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    Handle<CommandBuffer_t> commandBufferHandle;
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
