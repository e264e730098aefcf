#include <Orvane/render/swapchain_render_target.h>

#include <gtest/gtest.h>

using namespace Orvane;
using TbGpu::ColorSpace;
using TbGpu::Format;
using TbGpu::PresentMode;

TEST(SwapchainChoices, SurfaceFormatPrefersTenBitsThenBgraInSrgbNonLinear)
{
    using Formats = std::vector<TbGpu::SurfaceFormat>;
    EXPECT_EQ(SwapchainRenderTarget::chooseSurfaceFormat(Formats{ { Format::UNDEFINED, ColorSpace::SrgbNonlinear } })
                      .format,
              Format::B8G8R8A8_UNORM);
    EXPECT_EQ(SwapchainRenderTarget::chooseSurfaceFormat(
                      Formats{ { Format::B8G8R8A8_UNORM, ColorSpace::SrgbNonlinear },
                               { Format::A2B10G10R10_UNORM_PACK32, ColorSpace::SrgbNonlinear } })
                      .format,
              Format::A2B10G10R10_UNORM_PACK32);
    EXPECT_EQ(
            SwapchainRenderTarget::chooseSurfaceFormat(Formats{ { Format::R8G8B8A8_SRGB, ColorSpace::SrgbNonlinear } })
                    .format,
            Format::R8G8B8A8_SRGB);
}

TEST(SwapchainChoices, PresentModePrefersMailboxExceptForLayeredSwapchains)
{
    const std::vector<PresentMode> all{ PresentMode::Fifo, PresentMode::Immediate, PresentMode::Mailbox };
    EXPECT_EQ(SwapchainRenderTarget::choosePresentMode(all, 1), PresentMode::Mailbox);
    EXPECT_EQ(SwapchainRenderTarget::choosePresentMode(all, 2), PresentMode::Fifo);
    EXPECT_EQ(SwapchainRenderTarget::choosePresentMode({ PresentMode::Fifo, PresentMode::Immediate }, 2),
              PresentMode::Immediate);
    EXPECT_EQ(SwapchainRenderTarget::choosePresentMode({ PresentMode::Fifo }, 1), PresentMode::Fifo);
}

TEST(SwapchainChoices, ImageCountAndExtentFollowTheSurfaceLimits)
{
    TbGpu::SurfaceCapabilities capabilities;
    capabilities.minImageCount = 2;
    capabilities.maxImageCount = 0;
    EXPECT_EQ(SwapchainRenderTarget::chooseImageCount(capabilities), 3u);
    capabilities.maxImageCount = 2;
    EXPECT_EQ(SwapchainRenderTarget::chooseImageCount(capabilities), 2u);

    capabilities.currentExtent = { 0xFFFFFFFFu, 0xFFFFFFFFu };
    capabilities.minImageExtent = { 16, 16 };
    capabilities.maxImageExtent = { 1024, 1024 };
    EXPECT_EQ(SwapchainRenderTarget::chooseExtent(capabilities, 4000, 8), (TbGpu::Extent2D{ 1024, 16 }));
    capabilities.currentExtent = { 640, 480 };
    EXPECT_EQ(SwapchainRenderTarget::chooseExtent(capabilities, 4000, 8), (TbGpu::Extent2D{ 640, 480 }));
}

TEST(SwapchainChoices, ARotatedSurfaceSwapsTheExtentForQuarterTurns)
{
    TbGpu::SurfaceCapabilities capabilities;
    capabilities.minImageExtent = { 1, 1 };
    capabilities.maxImageExtent = { 4096, 4096 };
    const std::pair<TbGpu::SurfaceTransformFlagBits, std::pair<uint32_t, RenderTarget::Extent>> cases[] = {
        { TbGpu::SurfaceTransformFlagBits::IdentityBit, { RenderTarget::RotationNone, { 640, 480 } } },
        { TbGpu::SurfaceTransformFlagBits::Rotate90Bit, { RenderTarget::Rotation90, { 480, 640 } } },
        { TbGpu::SurfaceTransformFlagBits::Rotate180Bit, { RenderTarget::Rotation180, { 640, 480 } } },
        { TbGpu::SurfaceTransformFlagBits::Rotate270Bit, { RenderTarget::Rotation270, { 480, 640 } } },
    };
    for (const auto &[transform, expected] : cases) {
        capabilities.currentTransform = transform;
        EXPECT_EQ(SwapchainRenderTarget::surfaceExtentFor(capabilities, { 640, 480 }), expected)
                << "transform " << uint32_t(transform);
    }
}
