#pragma once

#include <TbGpu/handle.h>
#include <TbGpu/swapchain_options.h>

#include <vector>

namespace TbGpu {

class ApiSwapchain
{
public:
    virtual std::vector<Handle<Texture_t>> getTextures() = 0;
    virtual AcquireImageResult getNextImageIndex(uint32_t &imageIndex, const Handle<GpuSemaphore_t> &semaphore) = 0;
};

} // namespace TbGpu
