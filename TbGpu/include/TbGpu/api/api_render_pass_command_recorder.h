#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>
#include <TbGpu/pipeline_layout_options.h>
#include <TbGpu/render_pass_commands.h>

#include <vector>

namespace TbGpu {

class ApiRenderPassCommandRecorder
{
public:
    virtual void setPipeline(const Handle<GraphicsPipeline_t> &pipeline) = 0;
    virtual void setVertexBuffer(uint32_t index, const Handle<Buffer_t> &buffer, uint64_t offset) = 0;
    virtual void setIndexBuffer(const Handle<Buffer_t> &buffer, uint64_t offset, IndexType indexType) = 0;
    virtual void setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                              const Handle<PipelineLayout_t> &pipelineLayout,
                              const std::vector<uint32_t> &dynamicBufferOffsets) = 0;
    virtual void setViewport(const Viewport &viewport) = 0;
    virtual void setScissor(const Rect2D &scissor) = 0;
    virtual void setStencilReference(StencilFaceFlags faceMask, uint32_t reference) = 0;
    virtual void draw(const std::vector<DrawCommand> &commands) = 0;
    virtual void draw(const DrawCommand &command) = 0;
    virtual void drawIndexed(const std::vector<DrawIndexedCommand> &commands) = 0;
    virtual void drawIndexed(const DrawIndexedCommand &command) = 0;
    virtual void drawIndirect(const std::vector<DrawIndirectCommand> &commands) = 0;
    virtual void drawIndirect(const DrawIndirectCommand &command) = 0;
    virtual void drawIndexedIndirect(const std::vector<DrawIndirectCommand> &commands) = 0;
    virtual void drawIndexedIndirect(const DrawIndirectCommand &command) = 0;
    virtual void pushConstant(const PushConstantRange &range, const void *data) = 0;
    virtual void end() = 0;
};

} // namespace TbGpu
