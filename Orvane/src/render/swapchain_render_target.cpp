#include <Orvane/render/swapchain_render_target.h>

#include <TbFoundation/logging.h>
#include <TbGpu/adapter.h>
#include <TbGpu/device.h>

#include <algorithm>
#include <stdexcept>

namespace Orvane {

SwapchainRenderTarget::SwapchainRenderTarget(TbGpu::Device *device)
    : RenderTarget(0, TbFoundation::getOrCreateLogger("swapchain", spdlog::level::debug), device)
{
    for (TbGpu::GpuSemaphore &semaphore : imageAvailableSemaphores)
        semaphore = device->createGpuSemaphore();
}

SwapchainRenderTarget::~SwapchainRenderTarget()
{
    release();
}

TbGpu::SurfaceFormat SwapchainRenderTarget::chooseSurfaceFormat(const std::vector<TbGpu::SurfaceFormat> &formats)
{
    using TbGpu::ColorSpace;
    using TbGpu::Format;
    if (formats.empty() || (formats.size() == 1 && formats.front().format == Format::UNDEFINED))
        return { Format::B8G8R8A8_UNORM, ColorSpace::SrgbNonlinear };
    for (Format preferred : { Format::A2B10G10R10_UNORM_PACK32, Format::B8G8R8A8_UNORM }) {
        const auto match = std::find_if(formats.rbegin(), formats.rend(), [preferred](const TbGpu::SurfaceFormat &f) {
            return f.format == preferred && f.colorSpace == ColorSpace::SrgbNonlinear;
        });
        if (match != formats.rend())
            return *match;
    }
    return formats.front();
}

TbGpu::PresentMode SwapchainRenderTarget::choosePresentMode(const std::vector<TbGpu::PresentMode> &modes,
                                                            uint32_t layers)
{
    using TbGpu::PresentMode;
    auto offered = [&modes](PresentMode mode) { return std::find(modes.begin(), modes.end(), mode) != modes.end(); };
    // A layered (stereo) swapchain is shown in step with the display: no mailbox.
    if (offered(PresentMode::Mailbox))
        return layers > 1 ? PresentMode::Fifo : PresentMode::Mailbox;
    if (offered(PresentMode::Immediate))
        return PresentMode::Immediate;
    return PresentMode::Fifo;
}

TbGpu::Extent2D SwapchainRenderTarget::chooseExtent(const TbGpu::SurfaceCapabilities &capabilities, uint32_t width,
                                                    uint32_t height)
{
    if (capabilities.currentExtent.width != 0xFFFFFFFFu)
        return capabilities.currentExtent;
    return { std::clamp(width, capabilities.minImageExtent.width, capabilities.maxImageExtent.width),
             std::clamp(height, capabilities.minImageExtent.height, capabilities.maxImageExtent.height) };
}

uint32_t SwapchainRenderTarget::chooseImageCount(const TbGpu::SurfaceCapabilities &capabilities)
{
    const uint32_t count = capabilities.minImageCount + 1;
    return capabilities.maxImageCount != 0 ? std::min(count, capabilities.maxImageCount) : count;
}

std::pair<uint32_t, RenderTarget::Extent>
SwapchainRenderTarget::surfaceExtentFor(const TbGpu::SurfaceCapabilities &capabilities, TbGpu::Extent2D extent)
{
    using TbGpu::SurfaceTransformFlagBits;
    uint32_t rotation = RotationNone;
    switch (capabilities.currentTransform) {
    case SurfaceTransformFlagBits::Rotate90Bit:
        rotation = Rotation90;
        std::swap(extent.width, extent.height);
        break;
    case SurfaceTransformFlagBits::Rotate180Bit:
        rotation = Rotation180;
        break;
    case SurfaceTransformFlagBits::Rotate270Bit:
        rotation = Rotation270;
        std::swap(extent.width, extent.height);
        break;
    default:
        break;
    }
    const Extent clamped{ std::clamp(extent.width, capabilities.minImageExtent.width,
                                     std::max(capabilities.minImageExtent.width, capabilities.maxImageExtent.width)),
                          std::clamp(
                                  extent.height, capabilities.minImageExtent.height,
                                  std::max(capabilities.minImageExtent.height, capabilities.maxImageExtent.height)) };
    return { rotation, clamped };
}

void SwapchainRenderTarget::create(uint32_t width, uint32_t height, float scale, uint32_t layerCount)
{
    TbGpu::Adapter *adapter = device->adapter();
    const TbGpu::SwapchainProperties properties = adapter->swapchainProperties(surface);
    const TbGpu::SurfaceCapabilities &capabilities = properties.capabilities;

    TbGpu::SwapchainOptions options;
    options.surface = surface;
    format = chooseSurfaceFormat(properties.formats);
    options.format = format.format;
    options.colorSpace = format.colorSpace;
    options.minImageCount = chooseImageCount(capabilities);
    options.imageExtent = chooseExtent(capabilities, width, height);
    options.imageLayers = layerCount;
    options.imageUsageFlags =
            TbGpu::TextureUsageFlagBits::ColorAttachmentBit | TbGpu::TextureUsageFlagBits::TransferSrcBit;

    // The family that draws and the family that presents: one family shares exclusively, two concurrently.
    int64_t graphicsFamily = -1;
    int64_t presentFamily = -1;
    for (const TbGpu::Queue &queue : device->queues()) {
        if (queue.flags().testFlag(TbGpu::QueueFlagBits::GraphicsBit))
            graphicsFamily = queue.queueTypeIndex();
        if (adapter->supportsPresentation(surface, queue.queueTypeIndex()))
            presentFamily = queue.queueTypeIndex();
        if (graphicsFamily >= 0 && presentFamily >= 0)
            break;
    }
    if (graphicsFamily >= 0 && presentFamily >= 0 && graphicsFamily != presentFamily) {
        options.imageSharingMode = TbGpu::SharingMode::Concurrent;
        options.queueTypeIndices = { uint32_t(graphicsFamily), uint32_t(presentFamily) };
    } else {
        options.imageSharingMode = TbGpu::SharingMode::Exclusive;
        if (graphicsFamily >= 0)
            options.queueTypeIndices = { uint32_t(graphicsFamily) };
    }
    options.transform = capabilities.currentTransform;
    options.compositeAlpha = TbGpu::CompositeAlphaFlagBits::OpaqueBit;
    options.presentMode = choosePresentMode(properties.presentModes, layerCount);
    options.clipped = true;

    swapchain = device->createSwapchain(options);
    if (!swapchain.isValid()) {
        SPDLOG_LOGGER_CRITICAL(logger, "Failed to create Vulkan swapchain! Aborting");
        throw std::runtime_error("Failed to create Vulkan swapchain!");
    }

    extent = { options.imageExtent.width, options.imageExtent.height };
    layers = layerCount;
    const auto [surfaceRotation, transformed] = surfaceExtentFor(capabilities, options.imageExtent);
    rotation = surfaceRotation;
    surfaceExtent = transformed;
    scaleFactor = scale;

    textures.clear();
    views.clear();
    for (const TbGpu::Texture &image : swapchain.textures()) {
        textures.push_back(image.handle());
        TbGpu::TextureViewOptions viewOptions;
        viewOptions.viewType = layerCount == 1 ? TbGpu::ViewType::ViewType2D : TbGpu::ViewType::ViewType2DArray;
        viewOptions.format = format.format;
        viewOptions.range = { 0, 0, 1, 0, layerCount };
        views.push_back(image.createView(viewOptions));
    }
    presentedSuccessfully = true;
}

void SwapchainRenderTarget::release()
{
    textures.clear();
    views.clear();
    swapchain = {};
}

TbGpu::Format SwapchainRenderTarget::depthFormat() const
{
    using TbGpu::Format;
    for (Format candidate : { Format::D32_SFLOAT, Format::D32_SFLOAT_S8_UINT, Format::D24_UNORM_S8_UINT }) {
        const TbGpu::FormatProperties properties = device->adapter()->formatProperties(candidate);
        if (properties.optimalTilingFeatures.testFlag(TbGpu::FormatFeatureFlagBits::DepthStencilAttachmentBit))
            return candidate;
    }
    throw std::runtime_error("Failed to find supported format!");
}

TbGpu::Handle<TbGpu::TextureView_t> SwapchainRenderTarget::imageView(uint32_t i) const
{
    return i < views.size() ? views[i].handle() : TbGpu::Handle<TbGpu::TextureView_t>{};
}

TbGpu::Handle<TbGpu::Texture_t> SwapchainRenderTarget::texture(uint32_t i) const
{
    return i < textures.size() ? textures[i] : TbGpu::Handle<TbGpu::Texture_t>{};
}

} // namespace Orvane
