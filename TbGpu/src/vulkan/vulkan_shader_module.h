#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The shader-modules-pool record.
struct VulkanShaderModule : public ApiShaderModule {
    VkShaderModule shaderModule{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
