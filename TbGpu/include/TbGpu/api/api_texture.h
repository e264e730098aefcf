#pragma once

#include <TbGpu/gpu_core.h>

namespace TbGpu {

class ApiTexture
{
public:
    virtual void *map() = 0;
    virtual void unmap() = 0;
    virtual SubresourceLayout getSubresourceLayout(const TextureSubresource &subresource) const = 0;
    virtual MemoryHandle externalMemoryHandle() const = 0;
};

} // namespace TbGpu
