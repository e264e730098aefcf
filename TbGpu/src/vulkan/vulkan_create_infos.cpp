#include "vulkan/vulkan_create_infos.h"

#include "vulkan/vulkan_enums.h"

namespace TbGpu {

VkBufferCreateInfo bufferCreateInfo(const BufferOptions &options, VkExternalMemoryBufferCreateInfo &external)
{
    VkBufferCreateInfo info{ VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO };
    info.size = options.size;
    info.usage = options.usage.toInt();
    info.sharingMode = static_cast<VkSharingMode>(options.sharingMode);
    if (!options.queueTypeIndices.empty()) {
        info.queueFamilyIndexCount = static_cast<uint32_t>(options.queueTypeIndices.size());
        info.pQueueFamilyIndices = options.queueTypeIndices.data();
    }
    if (options.externalMemoryHandleType) {
        external = { VK_STRUCTURE_TYPE_EXTERNAL_MEMORY_BUFFER_CREATE_INFO };
        external.handleTypes = options.externalMemoryHandleType.toInt();
        info.pNext = &external;
    }
    return info;
}

VkImageCreateInfo imageCreateInfo(const TextureOptions &options, VkExternalMemoryImageCreateInfo &external)
{
    VkImageCreateInfo info{ VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO };
    if (options.type == TextureType::TextureTypeCube)
        info.flags |= VK_IMAGE_CREATE_CUBE_COMPATIBLE_BIT;
    info.imageType = textureTypeToVkImageType(options.type);
    info.format = formatToVkFormat(options.format);
    info.extent = { options.extent.width, options.extent.height, options.extent.depth };
    info.mipLevels = options.mipLevels;
    info.arrayLayers = options.arrayLayers;
    info.samples = static_cast<VkSampleCountFlagBits>(options.samples);
    info.tiling = static_cast<VkImageTiling>(options.tiling);
    info.usage = options.usage.toInt();
    info.sharingMode = static_cast<VkSharingMode>(options.sharingMode);
    if (!options.queueTypeIndices.empty()) {
        info.queueFamilyIndexCount = static_cast<uint32_t>(options.queueTypeIndices.size());
        info.pQueueFamilyIndices = options.queueTypeIndices.data();
    }
    info.initialLayout = textureLayoutToVkImageLayout(options.initialLayout);
    if (options.externalMemoryHandleType) {
        external = { VK_STRUCTURE_TYPE_EXTERNAL_MEMORY_IMAGE_CREATE_INFO };
        external.handleTypes = options.externalMemoryHandleType.toInt();
        info.pNext = &external;
    }
    return info;
}

VkSamplerCreateInfo samplerCreateInfo(const SamplerOptions &options)
{
    VkSamplerCreateInfo info{ VK_STRUCTURE_TYPE_SAMPLER_CREATE_INFO };
    info.magFilter = static_cast<VkFilter>(options.magFilter);
    info.minFilter = static_cast<VkFilter>(options.minFilter);
    info.mipmapMode = static_cast<VkSamplerMipmapMode>(options.mipmapFilter);
    info.addressModeU = static_cast<VkSamplerAddressMode>(options.u);
    info.addressModeV = static_cast<VkSamplerAddressMode>(options.v);
    info.addressModeW = static_cast<VkSamplerAddressMode>(options.w);
    info.mipLodBias = 0.0f;
    info.anisotropyEnable = options.anisotropyEnabled ? VK_TRUE : VK_FALSE;
    info.maxAnisotropy = options.maxAnisotropy;
    info.compareEnable = options.compareEnabled ? VK_TRUE : VK_FALSE;
    info.compareOp = static_cast<VkCompareOp>(options.compare);
    info.minLod = options.lodMinClamp;
    info.maxLod = options.lodMaxClamp == LodClampNone ? VK_LOD_CLAMP_NONE : options.lodMaxClamp;
    info.borderColor = VK_BORDER_COLOR_FLOAT_TRANSPARENT_BLACK;
    info.unnormalizedCoordinates = options.normalizedCoordinates ? VK_FALSE : VK_TRUE;
    return info;
}

VkImageAspectFlags aspectFromTextureUsage(TextureUsageFlags usage)
{
    if (usage.testFlag(TextureUsageFlagBits::DepthStencilAttachmentBit))
        return VK_IMAGE_ASPECT_DEPTH_BIT;
    if (usage.testFlag(TextureUsageFlagBits::ColorAttachmentBit) || usage.testFlag(TextureUsageFlagBits::SampledBit))
        return VK_IMAGE_ASPECT_COLOR_BIT;
    return 0;
}

bool isHostAccessUsage(MemoryUsage usage)
{
    return usage == MemoryUsage::CpuOnly || usage == MemoryUsage::CpuToGpu || usage == MemoryUsage::GpuToCpu ||
            usage == MemoryUsage::CpuCopy;
}

} // namespace TbGpu
