#pragma once

#include <TbGpu/api/api_gpu_semaphore.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The GPU-semaphores-pool record, with the exported handle when one was asked for and could be made.
struct VulkanGpuSemaphore : public ApiGpuSemaphore {
    VulkanGpuSemaphore() = default;
    VulkanGpuSemaphore(VkSemaphore semaphore, VulkanResourceManager *manager, const Handle<Device_t> &device,
                       MemoryHandle handle)
        : semaphore(semaphore)
        , vulkanResourceManager(manager)
        , deviceHandle(device)
        , externalSemaphore(handle)
    {
    }

    MemoryHandle externalSemaphoreHandle() const override { return externalSemaphore; }

    VkSemaphore semaphore{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    MemoryHandle externalSemaphore;
};

} // namespace TbGpu
