#include "vulkan/vulkan_swapchain.h"

#include "vulkan/vulkan_resource_manager.h"

namespace TbGpu {

AcquireImageResult vkResultToPresentResult(VkResult result)
{
    switch (result) {
    case VK_ERROR_SURFACE_LOST_KHR:
    case VK_ERROR_FULL_SCREEN_EXCLUSIVE_MODE_LOST_EXT:
        return AcquireImageResult::SurfaceLost;
    case VK_ERROR_OUT_OF_DATE_KHR:
        return AcquireImageResult::OutOfDate;
    case VK_ERROR_DEVICE_LOST:
        return AcquireImageResult::DeviceLost;
    case VK_ERROR_OUT_OF_HOST_MEMORY:
    case VK_ERROR_OUT_OF_DEVICE_MEMORY:
        return AcquireImageResult::OutOfMemory;
    default:
        return AcquireImageResult::Success;
    }
}

std::vector<Handle<Texture_t>> VulkanSwapchain::getTextures()
{
    if (!textures.empty())
        return textures;
    const VulkanDevice *device = vulkanResourceManager->findDevice(deviceHandle);
    if (!device)
        return {};
    uint32_t count = 0;
    vkGetSwapchainImagesKHR(device->device, swapchain, &count, nullptr);
    std::vector<VkImage> images(count);
    vkGetSwapchainImagesKHR(device->device, swapchain, &count, images.data());
    images.resize(count);

    // Inserting into the textures pool does not move this record (it lives in the swapchains pool).
    for (VkImage image : images) {
        VulkanTexture texture;
        texture.image = image;
        texture.format = format;
        texture.extent = extent;
        texture.mipLevels = 1;
        texture.arrayLayers = arrayLayers;
        texture.usage = usage;
        texture.ownedBySwapchain = true;
        texture.vulkanResourceManager = vulkanResourceManager;
        texture.deviceHandle = deviceHandle;
        textures.push_back(vulkanResourceManager->insertTexture(texture));
    }
    return textures;
}

AcquireImageResult VulkanSwapchain::getNextImageIndex(uint32_t &imageIndex, const Handle<GpuSemaphore_t> &semaphore)
{
    const VulkanDevice *device = vulkanResourceManager->findDevice(deviceHandle);
    if (!device)
        return AcquireImageResult::DeviceLost;
    VulkanGpuSemaphore *signal = vulkanResourceManager->getGpuSemaphore(semaphore);
    if (signal)
        signal->waitStage = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
    const VkResult result =
            vkAcquireNextImageKHR(device->device, swapchain, UINT64_MAX, signal ? signal->semaphore : VK_NULL_HANDLE,
                                  VK_NULL_HANDLE, &imageIndex);
    return vkResultToPresentResult(result);
}

} // namespace TbGpu
