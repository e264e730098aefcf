#pragma once

#include <TbGpu/api/api_render_pass_command_recorder.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The render-pass-command-recorders-pool record: records into its command recorder's buffer inside one pass.
// Made with a viewport and scissor covering the render area already recorded.
struct VulkanRenderPassCommandRecorder : public ApiRenderPassCommandRecorder {
    VulkanRenderPassCommandRecorder() = default;
    VulkanRenderPassCommandRecorder(VkCommandBuffer buffer, VkRect2D renderArea, VulkanResourceManager *manager,
                                    const Handle<Device_t> &device, const Handle<CommandRecorder_t> &recorder);

    void setPipeline(const Handle<GraphicsPipeline_t> &pipeline) override;
    void setVertexBuffer(uint32_t index, const Handle<Buffer_t> &buffer, uint64_t offset) override;
    void setIndexBuffer(const Handle<Buffer_t> &buffer, uint64_t offset, IndexType indexType) override;
    void setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                      const Handle<PipelineLayout_t> &pipelineLayout,
                      const std::vector<uint32_t> &dynamicBufferOffsets) override;
    void setViewport(const Viewport &viewport) override;
    void setScissor(const Rect2D &scissor) override;
    void setStencilReference(StencilFaceFlags faceMask, uint32_t reference) override;
    void draw(const std::vector<DrawCommand> &commands) override;
    void draw(const DrawCommand &command) override;
    void drawIndexed(const std::vector<DrawIndexedCommand> &commands) override;
    void drawIndexed(const DrawIndexedCommand &command) override;
    void drawIndirect(const std::vector<DrawIndirectCommand> &commands) override;
    void drawIndirect(const DrawIndirectCommand &command) override;
    void drawIndexedIndirect(const std::vector<DrawIndirectCommand> &commands) override;
    void drawIndexedIndirect(const DrawIndirectCommand &command) override;
    void pushConstant(const PushConstantRange &range, const void *data) override;
    void end() override;

    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    VkRect2D renderArea{};
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    Handle<CommandRecorder_t> commandRecorderHandle; // told when the pass ends
    Handle<GraphicsPipeline_t> pipeline;

private:
    VkPipelineLayout pipelineLayoutOf(const Handle<PipelineLayout_t> &explicitLayout) const;
};

} // namespace TbGpu
