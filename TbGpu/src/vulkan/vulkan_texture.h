#pragma once

#include <TbGpu/api/api_texture.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class MemoryAllocation;
class VulkanResourceManager;

// The textures-pool record. Swapchain images have no allocation and ownedBySwapchain set: deleting them does
// nothing, the swapchain owns the image.
struct VulkanTexture : public ApiTexture {
    VulkanTexture() = default;

    void *map() override;
    void unmap() override;
    SubresourceLayout getSubresourceLayout(const TextureSubresource &subresource) const override;
    MemoryHandle externalMemoryHandle() const override { return memoryHandle; }

    VkImage image{ VK_NULL_HANDLE };
    MemoryAllocation *allocation{ nullptr };
    void *mapped{ nullptr };
    Format format{ Format::UNDEFINED };
    Extent3D extent;
    uint32_t mipLevels{ 1 };
    uint32_t arrayLayers{ 1 };
    TextureUsageFlags usage;
    bool ownedBySwapchain{ false };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    MemoryHandle memoryHandle;
    TextureTiling tiling{ TextureTiling::Optimal }; // subresource layouts exist for linear textures only
};

} // namespace TbGpu
