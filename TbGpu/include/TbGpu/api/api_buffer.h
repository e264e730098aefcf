#pragma once

#include <TbGpu/gpu_core.h>

namespace TbGpu {

class ApiBuffer
{
public:
    virtual void *map() = 0;
    virtual void unmap() = 0;
    virtual void invalidate() = 0;
    virtual void flush() = 0;
    virtual MemoryHandle externalMemoryHandle() const = 0;
};

} // namespace TbGpu
