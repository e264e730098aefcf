#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The compute-pipelines-pool record.
struct VulkanComputePipeline : public ApiComputePipeline {
    VkPipeline pipeline{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    Handle<PipelineLayout_t> pipelineLayoutHandle;
};

} // namespace TbGpu
