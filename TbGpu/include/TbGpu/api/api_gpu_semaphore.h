#pragma once

#include <TbGpu/gpu_core.h>

namespace TbGpu {

class ApiGpuSemaphore
{
public:
    virtual MemoryHandle externalSemaphoreHandle() const = 0;
};

} // namespace TbGpu
