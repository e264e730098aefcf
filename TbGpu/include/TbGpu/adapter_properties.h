#pragma once

#include <TbGpu/adapter_limits.h>
#include <TbGpu/gpu_core.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace TbGpu {

struct AdapterMultiViewProperties {
    uint32_t maxMultiViewCount{ 0 };
    uint32_t maxMultiViewInstanceIndex{ 0 };
};

struct AdapterDepthResolveProperties {
    ResolveModeFlags supportedDepthResolveModes;
    ResolveModeFlags supportedStencilResolveModes;
    bool independentResolveNone{ false };
    bool independentResolve{ false };
};

struct AdapterProperties {
    uint32_t apiVersion{ 0 };
    uint32_t driverVersion{ 0 };
    uint32_t vendorID{ 0 };
    uint32_t deviceID{ 0 };
    AdapterDeviceType deviceType{ AdapterDeviceType::MaxEnum };
    std::string deviceName;
    std::array<uint8_t, 16> pipelineCacheUUID{};
    AdapterLimits limits;
    AdapterSparseProperties sparseProperties;
    AdapterMultiViewProperties multiViewProperties;
    AdapterDepthResolveProperties depthResolveProperties;
};

// One per queue family, in family order.
struct AdapterQueueType {
    QueueFlags flags;
    uint32_t availableQueues{ 0 };
    uint32_t timestampValidBits{ 0 };
    Extent3D minImageTransferGranularity;
};

struct SurfaceCapabilities {
    uint32_t minImageCount{ 0 };
    uint32_t maxImageCount{ 0 };
    Extent2D currentExtent;
    Extent2D minImageExtent;
    Extent2D maxImageExtent;
    uint32_t maxImageArrayLayers{ 0 };
    SurfaceTransformFlags supportedTransforms;
    SurfaceTransformFlagBits currentTransform{ SurfaceTransformFlagBits::IdentityBit };
    CompositeAlphaFlags supportedCompositeAlpha;
    TextureUsageFlags supportedUsageFlags;
};

struct SurfaceFormat {
    Format format{ Format::UNDEFINED };
    ColorSpace colorSpace{ ColorSpace::SrgbNonlinear };
};

struct SwapchainProperties {
    SurfaceCapabilities capabilities;
    std::vector<SurfaceFormat> formats;
    std::vector<PresentMode> presentModes;
};

struct FormatProperties {
    FormatFeatureFlags linearTilingFeatures;
    FormatFeatureFlags optimalTilingFeatures;
    FormatFeatureFlags bufferFeatures;
};

// The text used for a present mode when devices list what they support ("Unknown" for values Vulkan may add).
const char *presentModeName(PresentMode mode);

// The adapters worth trying for a wish, best first, as indices into the given device types. For Default: the
// discrete GPUs, then the integrated, virtual and CPU adapters (a software rasteriser is the adapter of last
// resort, not no adapter), each kind in enumeration order. For any other wish: the adapters of exactly that type.
std::vector<size_t> rankAdapters(const std::vector<AdapterDeviceType> &types, AdapterDeviceType wish);

// The first index rankAdapters gives, -1 when it gives none.
int selectAdapterIndex(const std::vector<AdapterDeviceType> &types, AdapterDeviceType wish);

} // namespace TbGpu
