#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/submit_options.h>
#include <TbGpu/swapchain_options.h>

#include <vector>

namespace TbGpu {

class ApiQueue
{
public:
    virtual ResultCode waitUntilIdle() = 0;
    virtual ResultCode submit(const SubmitOptions &options) = 0;
    virtual PresentResult present(const PresentOptions &options) = 0;
    virtual std::vector<PresentResult> lastPerSwapchainPresentResults() const = 0;
};

} // namespace TbGpu
