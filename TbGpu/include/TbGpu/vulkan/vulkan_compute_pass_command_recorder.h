#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The compute-pass-command-recorders-pool record.
struct VulkanComputePassCommandRecorder {
    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    Handle<ComputePipeline_t> pipeline;
};

} // namespace TbGpu
