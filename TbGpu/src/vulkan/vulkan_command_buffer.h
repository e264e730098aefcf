#pragma once

#include <TbGpu/api/api_command_buffer.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The command-buffers-pool record: the buffer and the pool of its queue family it goes back to.
struct VulkanCommandBuffer : public ApiCommandBuffer {
    VulkanCommandBuffer() = default;
    VulkanCommandBuffer(VkCommandBuffer buffer, VkCommandPool pool, VkCommandBufferLevel level,
                        VulkanResourceManager *manager, const Handle<Device_t> &device)
        : commandBuffer(buffer)
        , commandPool(pool)
        , level(level)
        , vulkanResourceManager(manager)
        , deviceHandle(device)
    {
    }

    // Failures are logged, not returned.
    void begin() override;
    void finish() override;

    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    VkCommandPool commandPool{ VK_NULL_HANDLE };
    VkCommandBufferLevel level{ VK_COMMAND_BUFFER_LEVEL_PRIMARY };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
