#pragma once

#include <TbGpu/gpu_core.h>

#include <vulkan/vulkan.h>

#include <string>

namespace TbGpu {

// Narrow 64-bit synchronisation masks for the legacy barrier path. Bits above 31 cannot be expressed there:
// a warning is logged and the low 32 bits are kept.
VkAccessFlags accessFlagsToVkAccessFlagBits(AccessFlags flags);
VkPipelineStageFlags pipelineStageFlagsToVkPipelineStageFlagBits(PipelineStageFlags flags);

// Vulkan's device types 0 to 4 keep their value; anything else warns and yields AdapterDeviceType::MaxEnum.
AdapterDeviceType vkPhysicalDeviceTypeToAdapterDeviceType(VkPhysicalDeviceType type);

// A cube is a 2D image (made cube compatible); the other types keep their value.
VkImageType textureTypeToVkImageType(TextureType type);

// The text of a Vulkan result used in the messages of thrown errors.
std::string vulkanResultToString(VkResult result);

// The plain casts, spelled once so call sites read as conversions.
inline VkFormat formatToVkFormat(Format format)
{
    return static_cast<VkFormat>(format);
}
inline VkImageLayout textureLayoutToVkImageLayout(TextureLayout layout)
{
    return static_cast<VkImageLayout>(layout);
}
inline VkSampleCountFlagBits sampleCountFlagBitsToVkSampleFlagBits(SampleCountFlagBits samples)
{
    return static_cast<VkSampleCountFlagBits>(samples);
}

} // namespace TbGpu
