#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The pipeline-layouts-pool record, with the set layouts it was made from.
struct VulkanPipelineLayout : public ApiPipelineLayout {
    VkPipelineLayout pipelineLayout{ VK_NULL_HANDLE };
    std::vector<VkDescriptorSetLayout> descriptorSetLayouts;
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
