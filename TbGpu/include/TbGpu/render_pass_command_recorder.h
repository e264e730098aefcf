#pragma once

#include <TbGpu/device_object.h>
#include <TbGpu/render_pass_commands.h>

#include <vector>

namespace TbGpu {

// Records the commands of one render pass. It starts with a viewport and scissor covering the whole framebuffer;
// end() closes the pass, which must happen before its command recorder finishes.
class RenderPassCommandRecorder : public DeviceObject<RenderPassCommandRecorder_t>
{
public:
    using DeviceObject::DeviceObject;

    void setPipeline(const Handle<GraphicsPipeline_t> &pipeline);
    void setVertexBuffer(uint32_t index, const Handle<Buffer_t> &buffer, uint64_t offset = 0);
    void setIndexBuffer(const Handle<Buffer_t> &buffer, uint64_t offset = 0, IndexType indexType = IndexType::Uint32);
    // An invalid layout means the layout of the pipeline set last.
    void setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                      const Handle<PipelineLayout_t> &pipelineLayout = {},
                      const std::vector<uint32_t> &dynamicBufferOffsets = {});
    void setViewport(const Viewport &viewport);
    void setScissor(const Rect2D &scissor);
    void setStencilReference(StencilFaceFlags faceMask, uint32_t reference);
    void draw(const DrawCommand &command);
    void draw(const std::vector<DrawCommand> &commands);
    void drawIndexed(const DrawIndexedCommand &command);
    void drawIndexed(const std::vector<DrawIndexedCommand> &commands);
    void drawIndirect(const DrawIndirectCommand &command);
    void drawIndirect(const std::vector<DrawIndirectCommand> &commands);
    void drawIndexedIndirect(const DrawIndirectCommand &command);
    void drawIndexedIndirect(const std::vector<DrawIndirectCommand> &commands);
    void pushConstant(const PushConstantRange &range, const void *data);
    void end();
};

} // namespace TbGpu
