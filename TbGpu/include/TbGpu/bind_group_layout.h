#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

// The shape of a bind group: which resource types sit at which bindings, seen by which stages.
class BindGroupLayout : public DeviceObject<BindGroupLayout_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
