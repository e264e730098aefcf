#include "render_test_support.h"

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

struct Rgb {
    int r{ -1 }, g{ -1 }, b{ -1 };
    bool operator==(const Rgb &) const = default;
};

std::ostream &operator<<(std::ostream &stream, const Rgb &rgb)
{
    return stream << "(" << rgb.r << ", " << rgb.g << ", " << rgb.b << ")";
}

// One pixel of the screen as `import` captures it; the screen may show a present a moment later, so look a few
// times.
Rgb screenPixel(int x, int y, const Rgb &expected)
{
    Rgb seen;
    const std::string shot = ::testing::TempDir() + "orvane_render_shot.png";
    for (int attempt = 0; attempt < 20 && !(seen == expected); ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (std::system(("import -window root " + shot).c_str()) != 0)
            continue;
        const std::string command =
                "convert " + shot + " -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) + " -depth 8 rgb:-";
        FILE *pipe = popen(command.c_str(), "r");
        if (!pipe)
            continue;
        unsigned char bytes[3]{};
        const size_t read = fread(bytes, 1, 3, pipe);
        pclose(pipe);
        if (read == 3)
            seen = { bytes[0], bytes[1], bytes[2] };
    }
    std::remove(shot.c_str());
    return seen;
}

} // namespace

// A plain XCB window at the screen's origin (there is no window manager under the test display).
class RendererSwapchainTest : public RenderEngineTest
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            GTEST_SKIP() << "cannot reach the X display";
        RenderEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 64, 48, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(m_connection, m_window);
        sync();
        surface = instance.createSurface({ m_connection, m_window });
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
        if (!m_connection)
            return;
        engine.reset(); // the swapchain goes before its surface
        surface = {};
        GpuTestRig::TearDown();
        if (m_window)
            xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }

    void resizeWindow(uint32_t width, uint32_t height)
    {
        const uint32_t values[] = { width, height };
        xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        sync();
        watcher->widthValue = width;
        watcher->heightValue = height;
    }

    void sync() { free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    SwapchainRenderTarget *swapchain() { return renderer->swapchainManager().find(surface.handle()); }

    TbGpu::Surface surface;
    std::shared_ptr<FixedExtentWatcher> watcher;
    ClearAlgorithm *algorithm{ nullptr };

private:
    xcb_connection_t *m_connection{ nullptr };
    xcb_window_t m_window{ 0 };
};

TEST_F(RendererSwapchainTest, FramesReachTheWindowThroughItsSwapchain)
{
    runFrames(3);
    ASSERT_NE(swapchain(), nullptr);
    EXPECT_TRUE(swapchain()->presentedSuccessfully);
    EXPECT_EQ(swapchain()->extent, (RenderTarget::Extent{ 64, 48 }));
    EXPECT_EQ(algorithm->renderedFrames, 4);
    EXPECT_EQ(screenPixel(32, 24, { 0, 128, 255 }), (Rgb{ 0, 128, 255 }));
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
    EXPECT_EQ(screenPixel(70, 50, { 0, 128, 255 }), (Rgb{ 0, 128, 255 }));
}
