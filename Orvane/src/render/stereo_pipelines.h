#pragma once

// The stereo forward algorithm's own pipelines, built from the embedded engine shaders.

#include <TbGpu/enums.h>
#include <TbGpu/graphics_pipeline.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <string_view>

namespace TbGpu {
class Device;
}

namespace Orvane::Render {

// What a pipeline must match in the render pass it is used in.
struct StereoPipelineTarget {
    TbGpu::Format colorFormat{ TbGpu::Format::UNDEFINED };
    TbGpu::Format depthFormat{ TbGpu::Format::UNDEFINED };
    uint32_t samples{ 1 };
    uint32_t viewCount{ 1 };
};

// A pipeline that rasterises nothing, bound when a pass has nothing to draw.
TbGpu::GraphicsPipeline createNullPipeline(TbGpu::Device &device, const TbGpu::Handle<TbGpu::PipelineLayout_t> &layout,
                                           const StereoPipelineTarget &target);

// A full-screen pass that samples the two-layer scene image: the embedded "<name>.vert.spv" and "<name>.frag.spv"
// under "shaders/stereo".
TbGpu::GraphicsPipeline createCompositionPipeline(TbGpu::Device &device,
                                                  const TbGpu::Handle<TbGpu::PipelineLayout_t> &layout,
                                                  std::string_view name, const StereoPipelineTarget &target);

} // namespace Orvane::Render
