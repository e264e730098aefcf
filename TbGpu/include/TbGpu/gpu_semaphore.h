#pragma once

#include <TbGpu/device_object.h>
#include <TbGpu/gpu_core.h>

namespace TbGpu {

// A semaphore ordering work on the GPU (acquire, render, present). The exported handle is empty unless an export
// was requested and the device can export.
class GpuSemaphore : public DeviceObject<GpuSemaphore_t>
{
public:
    using DeviceObject::DeviceObject;

    MemoryHandle externalSemaphoreHandle() const;
};

} // namespace TbGpu
