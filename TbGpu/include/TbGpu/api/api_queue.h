#pragma once

#include <TbGpu/gpu_core.h>

namespace TbGpu {

// Submission and presentation join this interface with the swapchain and synchronisation objects.
class ApiQueue
{
public:
    virtual ResultCode waitUntilIdle() = 0;
};

} // namespace TbGpu
