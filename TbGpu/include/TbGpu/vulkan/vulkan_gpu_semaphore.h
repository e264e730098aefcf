#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The GPU-semaphores-pool record, with the exported handle when one was asked for.
struct VulkanGpuSemaphore {
    VkSemaphore semaphore{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    MemoryHandle externalSemaphoreHandle;
};

} // namespace TbGpu
