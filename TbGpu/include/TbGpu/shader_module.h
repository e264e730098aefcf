#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

// A SPIR-V module the pipelines of its device take their stages from.
class ShaderModule : public DeviceObject<ShaderModule_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
