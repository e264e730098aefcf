#include "vulkan/vulkan_enums.h"

#include <TbGpu/utils/logging.h>

namespace TbGpu {

VkAccessFlags accessFlagsToVkAccessFlagBits(AccessFlags flags)
{
    if (flags.toInt() > 0x7FFFFFFFULL)
        TBGPU_LOG_WARN("The requested AccessFlags are not supported without the VK_KHR_Synchronization2 extension.");
    return static_cast<VkAccessFlags>(flags.toInt() & 0xFFFFFFFFULL);
}

VkPipelineStageFlags pipelineStageFlagsToVkPipelineStageFlagBits(PipelineStageFlags flags)
{
    if (flags.toInt() > 0x7FFFFFFFULL)
        TBGPU_LOG_WARN(
                "The requested PipelineStageFlags are not supported without the VK_KHR_Synchronization2 extension.");
    return static_cast<VkPipelineStageFlags>(flags.toInt() & 0xFFFFFFFFULL);
}

AdapterDeviceType vkPhysicalDeviceTypeToAdapterDeviceType(VkPhysicalDeviceType type)
{
    switch (type) {
    case VK_PHYSICAL_DEVICE_TYPE_OTHER:
        return AdapterDeviceType::Other;
    case VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU:
        return AdapterDeviceType::IntegratedGpu;
    case VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU:
        return AdapterDeviceType::DiscreteGpu;
    case VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU:
        return AdapterDeviceType::VirtualGpu;
    case VK_PHYSICAL_DEVICE_TYPE_CPU:
        return AdapterDeviceType::Cpu;
    default:
        TBGPU_LOG_WARN("Unknown adapter type");
        return AdapterDeviceType::MaxEnum;
    }
}

VkImageType textureTypeToVkImageType(TextureType type)
{
    if (type == TextureType::TextureTypeCube)
        return VK_IMAGE_TYPE_2D;
    return static_cast<VkImageType>(type);
}

std::string vulkanResultToString(VkResult result)
{
    switch (result) {
    case VK_SUCCESS:
        return "SUCCESS";
    case VK_ERROR_OUT_OF_HOST_MEMORY:
        return "OUT OF HOST MEMORY";
    case VK_ERROR_OUT_OF_DEVICE_MEMORY:
        return "OUT OF DEVICE MEMORY";
    case VK_ERROR_INITIALIZATION_FAILED:
        return "INITIALIZATION FAILED";
    case VK_ERROR_LAYER_NOT_PRESENT:
        return "LAYER NOT PRESENT";
    case VK_ERROR_EXTENSION_NOT_PRESENT:
        return "EXTENSION NOT PRESENT";
    case VK_ERROR_INCOMPATIBLE_DRIVER:
        return "INCOMPATIBLE DRIVER";
    default:
        return "UNKNOWN RESULT";
    }
}

} // namespace TbGpu
