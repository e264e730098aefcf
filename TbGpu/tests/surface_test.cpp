#include "test_display.h"
#include "vulkan_test_rig.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

using namespace TbGpu;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

// Surfaces need a window: these tests run under the X display the test script provides and are skipped without one.
class SurfaceTest : public VulkanTestRig
{
protected:
    void SetUp() override
    {
        std::string whyNot;
        if (!m_display.connect(whyNot))
            GTEST_SKIP() << whyNot;
        m_window = m_display.createWindow(0, 0, 320, 240);
        VulkanTestRig::SetUp();
    }

    void TearDown() override
    {
        if (!m_display.connection())
            return;
        VulkanTestRig::TearDown();
        m_display.disconnect();
    }

    SurfaceOptions windowOptions() const { return { m_display.connection(), m_window }; }

private:
    TbGpuTest::TestDisplay m_display;
    xcb_window_t m_window{ 0 };
};

TEST_F(SurfaceTest, WindowSurfaceWithSwapchainPropertiesAndPresentation)
{
    Surface surface = instance.createSurface(windowOptions());
    ASSERT_TRUE(surface.isValid());
    const VulkanSurface *record = manager()->getSurface(surface.handle());
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->isOwned);

    EXPECT_TRUE(adapter->supportsPresentation(surface.handle(), 0));
    EXPECT_FALSE(adapter->supportsPresentation(surface.handle(), 99)) << "no such queue family";
    const SwapchainProperties properties = adapter->swapchainProperties(surface.handle());
    EXPECT_EQ(properties.capabilities.currentExtent, (Extent2D{ 320, 240 }));
    EXPECT_GE(properties.capabilities.minImageCount, 1u);
    EXPECT_GE(properties.capabilities.maxImageArrayLayers, 1u);
    EXPECT_TRUE(properties.capabilities.supportedUsageFlags.testFlag(TextureUsageFlagBits::ColorAttachmentBit));
    EXPECT_FALSE(properties.formats.empty());
    EXPECT_FALSE(properties.presentModes.empty());
    EXPECT_NE(std::find(properties.presentModes.begin(), properties.presentModes.end(), PresentMode::Fifo),
              properties.presentModes.end())
            << "every presenting device offers FIFO";
}

TEST_F(SurfaceTest, DefaultDeviceForAWindowChecksPresentation)
{
    Surface surface = instance.createSurface(windowOptions());
    ASSERT_TRUE(surface.isValid());
    LogCapture log;
    DefaultDevice opened = instance.createDefaultDevice(surface);
    EXPECT_TRUE(opened.device.isValid());
    EXPECT_EQ(opened.adapter, adapter);
    EXPECT_TRUE(log.contains(spdlog::level::info, "Supported swapchain present modes:"));
    EXPECT_TRUE(log.contains(spdlog::level::info, "  - Fifo"));
    EXPECT_TRUE(log.contains(spdlog::level::info, "Queue family 0 supports presentation: true"));
}

TEST_F(SurfaceTest, MissingWindowGivesAnInvalidSurface)
{
    EXPECT_FALSE(instance.createSurface({}).isValid());
    EXPECT_FALSE(instance.createSurface({ nullptr, 42 }).isValid());
}
