#pragma once

#include <TbGpu/device_object.h>
#include <TbGpu/sync_options.h>

namespace TbGpu {

// A fence the GPU signals when a submission completes; the CPU waits on it.
class Fence : public DeviceObject<Fence_t>
{
public:
    using DeviceObject::DeviceObject;

    ResultCode wait(); // without a time limit
    ResultCode reset();
    FenceStatus status();
};

} // namespace TbGpu
