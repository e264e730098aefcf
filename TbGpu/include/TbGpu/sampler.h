#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

class Sampler : public DeviceObject<Sampler_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
