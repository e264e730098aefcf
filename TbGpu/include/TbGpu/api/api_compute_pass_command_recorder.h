#pragma once

#include <TbGpu/handle.h>
#include <TbGpu/pipeline_layout_options.h>
#include <TbGpu/render_pass_commands.h>

#include <vector>

namespace TbGpu {

class ApiComputePassCommandRecorder
{
public:
    virtual void setPipeline(const Handle<ComputePipeline_t> &pipeline) = 0;
    virtual void setBindGroup(uint32_t group, const Handle<BindGroup_t> &bindGroup,
                              const Handle<PipelineLayout_t> &pipelineLayout,
                              const std::vector<uint32_t> &dynamicBufferOffsets) = 0;
    virtual void dispatchCompute(const std::vector<ComputeCommand> &commands) = 0;
    virtual void dispatchCompute(const ComputeCommand &command) = 0;
    virtual void dispatchComputeIndirect(const std::vector<ComputeIndirectCommand> &commands) = 0;
    virtual void dispatchComputeIndirect(const ComputeIndirectCommand &command) = 0;
    virtual void pushConstant(const PushConstantRange &range, const void *data) = 0;
    virtual void end() = 0;
};

} // namespace TbGpu
