#include <TbGpu/render_pass_command_recorder.h>

namespace TbGpu {

void RenderPassCommandRecorder::setPipeline(const Handle<GraphicsPipeline_t> &pipeline)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setPipeline(pipeline);
}

void RenderPassCommandRecorder::setVertexBuffer(uint32_t index, const Handle<Buffer_t> &buffer, uint64_t offset)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setVertexBuffer(index, buffer, offset);
}

void RenderPassCommandRecorder::setIndexBuffer(const Handle<Buffer_t> &buffer, uint64_t offset, IndexType indexType)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setIndexBuffer(buffer, offset, indexType);
}

void RenderPassCommandRecorder::setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                                             const Handle<PipelineLayout_t> &pipelineLayout,
                                             const std::vector<uint32_t> &dynamicBufferOffsets)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setBindGroup(group, bindGroup, pipelineLayout, dynamicBufferOffsets);
}

void RenderPassCommandRecorder::setViewport(const Viewport &viewport)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setViewport(viewport);
}

void RenderPassCommandRecorder::setScissor(const Rect2D &scissor)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setScissor(scissor);
}

void RenderPassCommandRecorder::setStencilReference(StencilFaceFlags faceMask, uint32_t reference)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->setStencilReference(faceMask, reference);
}

void RenderPassCommandRecorder::draw(const DrawCommand &command)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->draw(command);
}

void RenderPassCommandRecorder::draw(const std::vector<DrawCommand> &commands)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->draw(commands);
}

void RenderPassCommandRecorder::drawIndexed(const DrawIndexedCommand &command)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->drawIndexed(command);
}

void RenderPassCommandRecorder::drawIndexed(const std::vector<DrawIndexedCommand> &commands)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->drawIndexed(commands);
}

void RenderPassCommandRecorder::drawIndirect(const DrawIndirectCommand &command)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->drawIndirect(command);
}

void RenderPassCommandRecorder::drawIndirect(const std::vector<DrawIndirectCommand> &commands)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->drawIndirect(commands);
}

void RenderPassCommandRecorder::drawIndexedIndirect(const DrawIndirectCommand &command)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->drawIndexedIndirect(command);
}

void RenderPassCommandRecorder::drawIndexedIndirect(const std::vector<DrawIndirectCommand> &commands)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->drawIndexedIndirect(commands);
}

void RenderPassCommandRecorder::pushConstant(const PushConstantRange &range, const void *data)
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->pushConstant(range, data);
}

void RenderPassCommandRecorder::end()
{
    if (ApiRenderPassCommandRecorder *recorder = record())
        recorder->end();
}

} // namespace TbGpu
