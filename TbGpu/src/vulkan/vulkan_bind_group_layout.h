#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The bind-group-layouts-pool record.
struct VulkanBindGroupLayout : public ApiBindGroupLayout {
    VkDescriptorSetLayout descriptorSetLayout{ VK_NULL_HANDLE };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
