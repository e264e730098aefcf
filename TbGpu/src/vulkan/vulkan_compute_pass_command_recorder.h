#pragma once

#include <TbGpu/api/api_compute_pass_command_recorder.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The compute-pass-command-recorders-pool record: dispatches into its command recorder's buffer.
struct VulkanComputePassCommandRecorder : public ApiComputePassCommandRecorder {
    VulkanComputePassCommandRecorder() = default;
    VulkanComputePassCommandRecorder(VkCommandBuffer buffer, VulkanResourceManager *manager,
                                     const Handle<Device_t> &device)
        : commandBuffer(buffer)
        , vulkanResourceManager(manager)
        , deviceHandle(device)
    {
    }

    void setPipeline(const Handle<ComputePipeline_t> &pipeline) override;
    void setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                      const Handle<PipelineLayout_t> &pipelineLayout,
                      const std::vector<uint32_t> &dynamicBufferOffsets) override;
    void dispatchCompute(const std::vector<ComputeCommand> &commands) override;
    void dispatchCompute(const ComputeCommand &command) override;
    void dispatchComputeIndirect(const std::vector<ComputeIndirectCommand> &commands) override;
    void dispatchComputeIndirect(const ComputeIndirectCommand &command) override;
    void pushConstant(const PushConstantRange &range, const void *data) override;
    void end() override { } // a compute pass has no Vulkan scope to close

    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    Handle<ComputePipeline_t> pipeline;

private:
    VkPipelineLayout pipelineLayoutOf(const Handle<PipelineLayout_t> &explicitLayout) const;
};

} // namespace TbGpu
