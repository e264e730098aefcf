#pragma once

#include <TbGpu/api/api_fence.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The fences-pool record.
struct VulkanFence : public ApiFence {
    VulkanFence() = default;
    VulkanFence(VkFence fence, VulkanResourceManager *manager, const Handle<Device_t> &device)
        : fence(fence)
        , vulkanResourceManager(manager)
        , deviceHandle(device)
    {
    }

    ResultCode wait() override;
    ResultCode reset() override;
    FenceStatus status() override;

    VkFence fence{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;

private:
    VkDevice vkDevice() const;
};

} // namespace TbGpu
