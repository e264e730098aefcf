#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The render-pass-command-recorders-pool record.
struct VulkanRenderPassCommandRecorder {
    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    VkRect2D renderArea{};
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    Handle<GraphicsPipeline_t> pipeline;
};

} // namespace TbGpu
