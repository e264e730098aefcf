#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

// A graphics pipeline with its own render pass, made from its colour targets, depth-stencil, samples and views.
class GraphicsPipeline : public DeviceObject<GraphicsPipeline_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
