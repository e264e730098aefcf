#include "render_test_support.h"

#include <test_display.h>

#include <Orvane/render/swapchain_manager.h>

#include <TbGpu/adapter.h>
#include <TbGpu/surface.h>

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace Orvane;
using namespace Orvane::Test;
using TbGpuTest::Rgb;
using TbGpuTest::waitForScreenPixel;

namespace {

// Acquisitions the test declares out of date. The executable's own definition of the entry point is the one the
// GPU library's call binds to; it forwards to the driver's otherwise.
std::atomic<int> outOfDateAcquisitions{ 0 };

} // namespace

extern "C" VKAPI_ATTR VkResult VKAPI_CALL vkAcquireNextImageKHR(VkDevice device, VkSwapchainKHR swapchain,
                                                                uint64_t timeout, VkSemaphore semaphore, VkFence fence,
                                                                uint32_t *imageIndex)
{
    if (outOfDateAcquisitions > 0) {
        --outOfDateAcquisitions;
        return VK_ERROR_OUT_OF_DATE_KHR;
    }
    // Looked up per call: the entry point belongs to this device.
    const auto driver =
            reinterpret_cast<PFN_vkAcquireNextImageKHR>(vkGetDeviceProcAddr(device, "vkAcquireNextImageKHR"));
    return driver(device, swapchain, timeout, semaphore, fence, imageIndex);
}

namespace {

} // namespace

// A plain XCB window at the screen's origin (there is no window manager under the test display).
class RendererSwapchainTest : public RenderEngineTest
{
protected:
    void SetUp() override
    {
        std::string whyNot;
        if (!m_display.connect(whyNot))
            GTEST_SKIP() << whyNot;
        RenderEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        m_window = m_display.createWindow(0, 0, 64, 48);
        surface = instance.createSurface({ m_display.connection(), m_window });
        ASSERT_TRUE(surface.isValid());
        watcher = std::make_shared<FixedExtentWatcher>(64, 48);
        RenderTargetReference reference;
        reference.type = RenderTargetReference::Swapchain;
        reference.surface = surface.handle();
        reference.extentWatcher = watcher;
        reference.layers = 1; // an X11 surface offers one array layer
        algorithm = start({ reference });
    }

    void TearDown() override
    {
        if (!m_display.connection())
            return;
        engine.reset(); // the swapchain goes before its surface
        surface = {};
        GpuTestRig::TearDown();
        m_display.disconnect();
    }

    void resizeWindow(uint32_t width, uint32_t height)
    {
        m_display.resize(m_window, width, height);
        watcher->widthValue = width;
        watcher->heightValue = height;
    }

    SwapchainRenderTarget *swapchain() { return renderer->swapchainManager().find(surface.handle()); }

    TbGpu::Surface surface;
    std::shared_ptr<FixedExtentWatcher> watcher;
    ClearAlgorithm *algorithm{ nullptr };

private:
    TbGpuTest::TestDisplay m_display;
    xcb_window_t m_window{ 0 };
};

TEST_F(RendererSwapchainTest, FramesReachTheWindowThroughItsSwapchain)
{
    runFrames(3);
    ASSERT_NE(swapchain(), nullptr);
    EXPECT_TRUE(swapchain()->presentedSuccessfully);
    EXPECT_EQ(swapchain()->extent, (RenderTarget::Extent{ 64, 48 }));
    EXPECT_EQ(algorithm->renderedFrames, 4);
    EXPECT_EQ(waitForScreenPixel(32, 24, { 0, 128, 255 }), (Rgb{ 0, 128, 255 }));
}

TEST_F(RendererSwapchainTest, FramesTheAlgorithmCannotRenderStillGiveTheirImagesBack)
{
    runFrames(1);
    algorithm->renderable = false;
    const int rendered = algorithm->renderedFrames;
    // More frames than the swapchain has images: each acquired image must be presented, or acquisition blocks.
    runFrames(int(swapchain()->imageCount()) + 3);
    EXPECT_EQ(algorithm->renderedFrames, rendered);
    EXPECT_EQ(waitForScreenPixel(32, 24, { 0, 0, 0 }), (Rgb{ 0, 0, 0 }));
    algorithm->renderable = true;
    runFrames(2);
    EXPECT_EQ(waitForScreenPixel(32, 24, { 0, 128, 255 }), (Rgb{ 0, 128, 255 }));
}

TEST_F(RendererSwapchainTest, AnOutOfDateAcquisitionRecreatesTheSwapchainAndSkipsTheFrameWithoutTouchingTheSlot)
{
    runFrames(1);
    const uint32_t slot = renderer->inFlightIndex();
    const int rendered = algorithm->renderedFrames;
    events.clear();
    outOfDateAcquisitions = 1;
    runFrames(1);
    EXPECT_EQ(algorithm->renderedFrames, rendered);
    EXPECT_EQ(renderer->inFlightIndex(), slot);
    EXPECT_EQ(renderer->frameFence(slot).status(), TbGpu::FenceStatus::Signalled);
    EXPECT_EQ(events, (std::vector<std::string>{ "clear: destroying 0", "clear: created 0" }));
    runFrames(2);
    EXPECT_EQ(algorithm->renderedFrames, rendered + 2);
    EXPECT_TRUE(swapchain()->presentedSuccessfully);
}

TEST_F(RendererSwapchainTest, AMinimisedWindowKeepsItsSwapchainUntilItHasAnExtentAgain)
{
    runFrames(1);
    const auto before = swapchain()->swapchain.handle();
    watcher->widthValue = 0;
    watcher->heightValue = 0;
    runFrames(2);
    EXPECT_EQ(swapchain()->swapchain.handle(), before);
    events.clear();
    resizeWindow(80, 60);
    runFrames(2);
    EXPECT_NE(swapchain()->swapchain.handle(), before);
    EXPECT_EQ(swapchain()->extent, (RenderTarget::Extent{ 80, 60 }));
    EXPECT_EQ(events, (std::vector<std::string>{ "clear: destroying 0", "clear: created 0" }));
    EXPECT_EQ(waitForScreenPixel(70, 50, { 0, 128, 255 }), (Rgb{ 0, 128, 255 }));
}
