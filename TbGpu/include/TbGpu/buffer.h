#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

// A buffer of device memory.
class Buffer : public MappableDeviceObject<Buffer_t>
{
public:
    using MappableDeviceObject::MappableDeviceObject;

    void invalidate(); // make device writes visible to the host (non-coherent memory)
    void flush(); // make host writes visible to the device (non-coherent memory)
};

} // namespace TbGpu
