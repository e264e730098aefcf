#pragma once

#include <TbGpu/handle.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// Handles that name nothing are skipped; an invalid fence submits without one.
struct SubmitOptions {
    std::vector<Handle<CommandBuffer_t>> commandBuffers;
    std::vector<Handle<GpuSemaphore_t>> waitSemaphores;
    std::vector<Handle<GpuSemaphore_t>> signalSemaphores;
    Handle<Fence_t> signalFence;
};

struct SwapchainPresentInfo {
    Handle<Swapchain_t> swapchain;
    uint32_t imageIndex{ 0 };
};

struct PresentOptions {
    std::vector<Handle<GpuSemaphore_t>> waitSemaphores;
    std::vector<SwapchainPresentInfo> swapchainInfos;
};

} // namespace TbGpu
