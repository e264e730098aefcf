#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

struct SwapchainOptions {
    Handle<Surface_t> surface;
    Format format{ Format::B8G8R8A8_UNORM };
    ColorSpace colorSpace{ ColorSpace::SrgbNonlinear };
    uint32_t minImageCount{ 2 };
    Extent2D imageExtent;
    uint32_t imageLayers{ 1 };
    TextureUsageFlags imageUsageFlags{ TextureUsageFlagBits::ColorAttachmentBit };
    SharingMode imageSharingMode{ SharingMode::Exclusive };
    std::vector<uint32_t> queueTypeIndices; // used only when not empty
    SurfaceTransformFlagBits transform{ SurfaceTransformFlagBits::IdentityBit };
    CompositeAlphaFlagBits compositeAlpha{ CompositeAlphaFlagBits::OpaqueBit };
    PresentMode presentMode{ PresentMode::Fifo };
    bool clipped{ true };
    Handle<Swapchain_t> oldSwapchain; // the swapchain being replaced, if any
};

// What acquiring or presenting an image came to. Suboptimal presentation counts as Success; OutOfDate and
// SurfaceLost ask the caller to rebuild the swapchain.
enum class AcquireImageResult : uint32_t {
    OutOfMemory = 0,
    DeviceLost = 1,
    OutOfDate = 2,
    SurfaceLost = 3,
    Success = 4,
};
using PresentResult = AcquireImageResult;

} // namespace TbGpu
