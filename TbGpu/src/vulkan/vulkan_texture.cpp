#include "vulkan/vulkan_texture.h"

#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

namespace TbGpu {

void *VulkanTexture::map()
{
    VulkanDevice *device = vulkanResourceManager ? vulkanResourceManager->getDevice(deviceHandle) : nullptr;
    if (!device || !device->allocator || !allocation)
        return nullptr; // swapchain images have no allocation of ours
    const VkResult result = device->allocator->map(allocation, &mapped);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when mapping image memory: {}", static_cast<int>(result));
        mapped = nullptr;
    }
    return mapped;
}

void VulkanTexture::unmap()
{
    VulkanDevice *device = vulkanResourceManager ? vulkanResourceManager->getDevice(deviceHandle) : nullptr;
    if (device && device->allocator && allocation)
        device->allocator->unmap(allocation);
    mapped = nullptr;
}

SubresourceLayout VulkanTexture::getSubresourceLayout(const TextureSubresource &subresource) const
{
    // Vulkan defines subresource layouts for linearly tiled images only.
    VulkanDevice *device = vulkanResourceManager ? vulkanResourceManager->getDevice(deviceHandle) : nullptr;
    if (!device || tiling != TextureTiling::Linear)
        return {};
    const VkImageSubresource vkSubresource{ subresource.aspectMask.toInt(), subresource.mipLevel,
                                            subresource.arrayLayer };
    VkSubresourceLayout layout{};
    vkGetImageSubresourceLayout(device->device, image, &vkSubresource, &layout);
    return { layout.offset, layout.size, layout.rowPitch, layout.arrayPitch, layout.depthPitch };
}

} // namespace TbGpu
