#pragma once

#include <TbGpu/api/api_gpu_semaphore.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The GPU-semaphores-pool record, with the exported handle when one was asked for and could be made, and the stage
// at which a submission waits for it, which follows whoever signals it: an acquired swapchain image is first
// touched at colour attachment output (where a render pass's incoming dependency makes its layout transition, and
// where a barrier on it must start), any other signal is waited for by all commands.
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
    VkPipelineStageFlags waitStage{ VK_PIPELINE_STAGE_ALL_COMMANDS_BIT };
};

} // namespace TbGpu
