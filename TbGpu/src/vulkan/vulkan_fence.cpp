#include "vulkan/vulkan_fence.h"

#include "vulkan/vulkan_resource_manager.h"

namespace TbGpu {

VkDevice VulkanFence::vkDevice() const
{
    const VulkanDevice *device = vulkanResourceManager->getDevice(deviceHandle);
    return device ? device->device : VK_NULL_HANDLE;
}

ResultCode VulkanFence::wait()
{
    const VkDevice device = vkDevice();
    if (device == VK_NULL_HANDLE)
        return ResultCode::ErrorDeviceLost;
    return static_cast<ResultCode>(vkWaitForFences(device, 1, &fence, VK_TRUE, UINT64_MAX));
}

ResultCode VulkanFence::reset()
{
    const VkDevice device = vkDevice();
    if (device == VK_NULL_HANDLE)
        return ResultCode::ErrorDeviceLost;
    return static_cast<ResultCode>(vkResetFences(device, 1, &fence));
}

FenceStatus VulkanFence::status()
{
    const VkDevice device = vkDevice();
    if (device == VK_NULL_HANDLE)
        return FenceStatus::Error;
    switch (vkGetFenceStatus(device, fence)) {
    case VK_SUCCESS:
        return FenceStatus::Signalled;
    case VK_NOT_READY:
        return FenceStatus::Unsignalled;
    default:
        return FenceStatus::Error;
    }
}

} // namespace TbGpu
