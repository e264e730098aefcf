#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The graphics-pipelines-pool record. It owns the render pass made for it (invalid when it has none).
struct VulkanGraphicsPipeline : public ApiGraphicsPipeline {
    VkPipeline pipeline{ VK_NULL_HANDLE };
    std::vector<VkDynamicState> dynamicStates;
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<RenderPass_t> renderPassHandle;
    Handle<Device_t> deviceHandle;
    Handle<PipelineLayout_t> pipelineLayoutHandle;
};

} // namespace TbGpu
