#pragma once

#include <Orvane/render/frames_in_flight.h>
#include <Orvane/render/render_target.h>

#include <TbGpu/adapter_properties.h>
#include <TbGpu/gpu_semaphore.h>
#include <TbGpu/swapchain.h>
#include <TbGpu/texture_view.h>

#include <array>
#include <vector>

namespace Orvane {

// The images of a window surface. The image-available semaphores (one per frame slot) live as long as the
// target; everything else is made by create() and dropped by release().
class SwapchainRenderTarget : public RenderTarget
{
public:
    explicit SwapchainRenderTarget(TbGpu::Device *device);
    ~SwapchainRenderTarget() override;

    void release() override;
    // Throws "Failed to create Vulkan swapchain!" when the device refuses the swapchain.
    void create(uint32_t width, uint32_t height, float scaleFactor, uint32_t layers) override;
    TbGpu::Format colorFormat() const override { return format.format; }
    // Throws "Failed to find supported format!" when the adapter has no depth-stencil attachment format.
    TbGpu::Format depthFormat() const override;
    uint32_t imageCount() const override { return uint32_t(textures.size()); }
    TbGpu::Handle<TbGpu::TextureView_t> imageView(uint32_t index) const override;
    TbGpu::Handle<TbGpu::Texture_t> texture(uint32_t index) const override;

    // The choices create() makes from what the surface offers.
    static TbGpu::SurfaceFormat chooseSurfaceFormat(const std::vector<TbGpu::SurfaceFormat> &formats);
    static TbGpu::PresentMode choosePresentMode(const std::vector<TbGpu::PresentMode> &modes, uint32_t layers);
    static TbGpu::Extent2D chooseExtent(const TbGpu::SurfaceCapabilities &capabilities, uint32_t width,
                                        uint32_t height);
    static uint32_t chooseImageCount(const TbGpu::SurfaceCapabilities &capabilities);
    // The rotation and the extent after the pre-transform, clamped to the surface's limits.
    static std::pair<uint32_t, Extent> surfaceExtentFor(const TbGpu::SurfaceCapabilities &capabilities,
                                                        TbGpu::Extent2D extent);

    TbGpu::Handle<TbGpu::Surface_t> surface;
    TbGpu::Swapchain swapchain;
    TbGpu::SurfaceFormat format;
    std::vector<TbGpu::Handle<TbGpu::Texture_t>> textures;
    std::vector<TbGpu::TextureView> views;
    std::array<TbGpu::GpuSemaphore, MaxFramesInFlight> imageAvailableSemaphores;
    bool presentedSuccessfully{ true };
};

} // namespace Orvane
