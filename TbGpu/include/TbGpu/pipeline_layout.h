#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

// The bind group layouts (in set order) and push constant ranges a pipeline is made for.
class PipelineLayout : public DeviceObject<PipelineLayout_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
