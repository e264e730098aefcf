#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// A block of push constants: `size` bytes at `offset`, visible to `shaderStages`.
struct PushConstantRange {
    uint32_t offset{ 0 };
    uint32_t size{ 0 };
    ShaderStageFlags shaderStages;
};

// The bind group layouts in set order, then the push constant ranges.
struct PipelineLayoutOptions {
    std::vector<Handle<BindGroupLayout_t>> bindGroupLayouts;
    std::vector<PushConstantRange> pushConstantRanges;
};

} // namespace TbGpu
