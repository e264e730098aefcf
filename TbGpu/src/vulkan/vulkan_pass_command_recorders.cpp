// The render pass and compute pass recorders: commands recorded into their command recorder's buffer.
#include "vulkan/vulkan_compute_pass_command_recorder.h"
#include "vulkan/vulkan_render_pass_command_recorder.h"
#include "vulkan/vulkan_resource_manager.h"

namespace TbGpu {

namespace {

VkBuffer bufferOf(VulkanResourceManager *manager, const Handle<Buffer_t> &handle)
{
    const VulkanBuffer *buffer = manager->getBuffer(handle);
    return buffer ? buffer->buffer : VK_NULL_HANDLE;
}

// The given layout when valid, else the layout of the pipeline set last (none when no pipeline was set).
template<typename PipelineRecord>
VkPipelineLayout chooseLayout(VulkanResourceManager *manager, const Handle<PipelineLayout_t> &explicitLayout,
                              const PipelineRecord *pipeline)
{
    const VulkanPipelineLayout *layout = manager->getPipelineLayout(explicitLayout);
    if (!layout && pipeline)
        layout = manager->getPipelineLayout(pipeline->pipelineLayoutHandle);
    return layout ? layout->pipelineLayout : VK_NULL_HANDLE;
}

} // namespace

// ---- Render passes --------------------------------------------------------------------------------------------

VulkanRenderPassCommandRecorder::VulkanRenderPassCommandRecorder(VkCommandBuffer buffer, VkRect2D renderArea,
                                                                 VulkanResourceManager *manager,
                                                                 const Handle<Device_t> &device,
                                                                 const Handle<CommandRecorder_t> &recorder)
    : commandBuffer(buffer)
    , renderArea(renderArea)
    , vulkanResourceManager(manager)
    , deviceHandle(device)
    , commandRecorderHandle(recorder)
{
    // Pipelines take viewport and scissor as dynamic state: a pass starts covering its whole area.
    const VkViewport viewport{ static_cast<float>(renderArea.offset.x),
                               static_cast<float>(renderArea.offset.y),
                               static_cast<float>(renderArea.extent.width),
                               static_cast<float>(renderArea.extent.height),
                               0.0f,
                               1.0f };
    vkCmdSetViewport(commandBuffer, 0, 1, &viewport);
    vkCmdSetScissor(commandBuffer, 0, 1, &renderArea);
}

VkPipelineLayout VulkanRenderPassCommandRecorder::pipelineLayoutOf(const Handle<PipelineLayout_t> &explicitLayout) const
{
    return chooseLayout(vulkanResourceManager, explicitLayout, vulkanResourceManager->getGraphicsPipeline(pipeline));
}

void VulkanRenderPassCommandRecorder::setPipeline(const Handle<GraphicsPipeline_t> &handle)
{
    pipeline = handle;
    if (const VulkanGraphicsPipeline *record = vulkanResourceManager->getGraphicsPipeline(handle))
        vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, record->pipeline);
}

void VulkanRenderPassCommandRecorder::setVertexBuffer(uint32_t index, const Handle<Buffer_t> &buffer, uint64_t offset)
{
    const VkBuffer vkBuffer = bufferOf(vulkanResourceManager, buffer);
    const VkDeviceSize vkOffset = offset;
    vkCmdBindVertexBuffers(commandBuffer, index, 1, &vkBuffer, &vkOffset);
}

void VulkanRenderPassCommandRecorder::setIndexBuffer(const Handle<Buffer_t> &buffer, uint64_t offset,
                                                     IndexType indexType)
{
    vkCmdBindIndexBuffer(commandBuffer, bufferOf(vulkanResourceManager, buffer), offset,
                         static_cast<VkIndexType>(indexType));
}

void VulkanRenderPassCommandRecorder::setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                                                   const Handle<PipelineLayout_t> &pipelineLayout,
                                                   const std::vector<uint32_t> &dynamicBufferOffsets)
{
    const VulkanBindGroup *record = vulkanResourceManager->getBindGroup(bindGroup);
    const VkPipelineLayout layout = pipelineLayoutOf(pipelineLayout);
    if (!record || layout == VK_NULL_HANDLE)
        return; // without a layout there is nothing to bind against
    vkCmdBindDescriptorSets(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, layout, group, 1, &record->descriptorSet,
                            static_cast<uint32_t>(dynamicBufferOffsets.size()), dynamicBufferOffsets.data());
}

void VulkanRenderPassCommandRecorder::setViewport(const Viewport &viewport)
{
    const VkViewport vkViewport{ viewport.x,      viewport.y,        viewport.width,
                                 viewport.height, viewport.minDepth, viewport.maxDepth };
    vkCmdSetViewport(commandBuffer, 0, 1, &vkViewport);
}

void VulkanRenderPassCommandRecorder::setScissor(const Rect2D &scissor)
{
    const VkRect2D rect{ { scissor.offset.x, scissor.offset.y }, { scissor.extent.width, scissor.extent.height } };
    vkCmdSetScissor(commandBuffer, 0, 1, &rect);
}

void VulkanRenderPassCommandRecorder::setStencilReference(StencilFaceFlags faceMask, uint32_t reference)
{
    vkCmdSetStencilReference(commandBuffer, faceMask.toInt(), reference);
}

void VulkanRenderPassCommandRecorder::draw(const DrawCommand &command)
{
    vkCmdDraw(commandBuffer, command.vertexCount, command.instanceCount, command.firstVertex, command.firstInstance);
}

void VulkanRenderPassCommandRecorder::draw(const std::vector<DrawCommand> &commands)
{
    for (const DrawCommand &command : commands)
        draw(command);
}

void VulkanRenderPassCommandRecorder::drawIndexed(const DrawIndexedCommand &command)
{
    vkCmdDrawIndexed(commandBuffer, command.indexCount, command.instanceCount, command.firstIndex, command.vertexOffset,
                     command.firstInstance);
}

void VulkanRenderPassCommandRecorder::drawIndexed(const std::vector<DrawIndexedCommand> &commands)
{
    for (const DrawIndexedCommand &command : commands)
        drawIndexed(command);
}

void VulkanRenderPassCommandRecorder::drawIndirect(const DrawIndirectCommand &command)
{
    vkCmdDrawIndirect(commandBuffer, bufferOf(vulkanResourceManager, command.buffer), command.offset, command.drawCount,
                      command.stride);
}

void VulkanRenderPassCommandRecorder::drawIndirect(const std::vector<DrawIndirectCommand> &commands)
{
    for (const DrawIndirectCommand &command : commands)
        drawIndirect(command);
}

void VulkanRenderPassCommandRecorder::drawIndexedIndirect(const DrawIndirectCommand &command)
{
    vkCmdDrawIndexedIndirect(commandBuffer, bufferOf(vulkanResourceManager, command.buffer), command.offset,
                             command.drawCount, command.stride);
}

void VulkanRenderPassCommandRecorder::drawIndexedIndirect(const std::vector<DrawIndirectCommand> &commands)
{
    for (const DrawIndirectCommand &command : commands)
        drawIndexedIndirect(command);
}

void VulkanRenderPassCommandRecorder::pushConstant(const PushConstantRange &range, const void *data)
{
    const VkPipelineLayout layout = pipelineLayoutOf({});
    if (layout == VK_NULL_HANDLE)
        return; // no pipeline set: nothing says which layout the constants belong to
    vkCmdPushConstants(commandBuffer, layout, range.shaderStages.toInt(), range.offset, range.size, data);
}

void VulkanRenderPassCommandRecorder::end()
{
    vkCmdEndRenderPass(commandBuffer);
    if (VulkanCommandRecorder *recorder = vulkanResourceManager->getCommandRecorder(commandRecorderHandle))
        recorder->passViewCount = 0;
}

// ---- Compute passes -------------------------------------------------------------------------------------------

VkPipelineLayout
VulkanComputePassCommandRecorder::pipelineLayoutOf(const Handle<PipelineLayout_t> &explicitLayout) const
{
    return chooseLayout(vulkanResourceManager, explicitLayout, vulkanResourceManager->getComputePipeline(pipeline));
}

void VulkanComputePassCommandRecorder::setPipeline(const Handle<ComputePipeline_t> &handle)
{
    pipeline = handle;
    if (const VulkanComputePipeline *record = vulkanResourceManager->getComputePipeline(handle))
        vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_COMPUTE, record->pipeline);
}

void VulkanComputePassCommandRecorder::setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                                                    const Handle<PipelineLayout_t> &pipelineLayout,
                                                    const std::vector<uint32_t> &dynamicBufferOffsets)
{
    const VulkanBindGroup *record = vulkanResourceManager->getBindGroup(bindGroup);
    const VkPipelineLayout layout = pipelineLayoutOf(pipelineLayout);
    if (!record || layout == VK_NULL_HANDLE)
        return;
    vkCmdBindDescriptorSets(commandBuffer, VK_PIPELINE_BIND_POINT_COMPUTE, layout, group, 1, &record->descriptorSet,
                            static_cast<uint32_t>(dynamicBufferOffsets.size()), dynamicBufferOffsets.data());
}

void VulkanComputePassCommandRecorder::dispatchCompute(const ComputeCommand &command)
{
    vkCmdDispatch(commandBuffer, command.workGroupX, command.workGroupY, command.workGroupZ);
}

void VulkanComputePassCommandRecorder::dispatchCompute(const std::vector<ComputeCommand> &commands)
{
    for (const ComputeCommand &command : commands)
        dispatchCompute(command);
}

void VulkanComputePassCommandRecorder::dispatchComputeIndirect(const ComputeIndirectCommand &command)
{
    vkCmdDispatchIndirect(commandBuffer, bufferOf(vulkanResourceManager, command.buffer), command.offset);
}

void VulkanComputePassCommandRecorder::dispatchComputeIndirect(const std::vector<ComputeIndirectCommand> &commands)
{
    for (const ComputeIndirectCommand &command : commands)
        dispatchComputeIndirect(command);
}

void VulkanComputePassCommandRecorder::pushConstant(const PushConstantRange &range, const void *data)
{
    const VkPipelineLayout layout = pipelineLayoutOf({});
    if (layout == VK_NULL_HANDLE)
        return;
    vkCmdPushConstants(commandBuffer, layout, range.shaderStages.toInt(), range.offset, range.size, data);
}

} // namespace TbGpu
