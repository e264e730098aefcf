#include "gpu_commands.h"
#include "test_display.h"
#include "vulkan_test_rig.h"

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace TbGpu;
using TbGpuTest::colourAspect;
using TbGpuTest::Rgb;
using TbGpuTest::screenPixel;
using TbGpuTest::VulkanTestRig;
using TbGpuTest::waitForScreenPixel;

namespace {

ColorClearValue colour(float r, float g, float b)
{
    ColorClearValue value;
    value.float32[0] = r;
    value.float32[1] = g;
    value.float32[2] = b;
    value.float32[3] = 1.0f;
    return value;
}

} // namespace

// A plain XCB window at the screen's origin (there is no window manager under the test display). These tests
// take the display lock: they read the screen back.
class SwapchainTest : public VulkanTestRig
{
protected:
    void SetUp() override
    {
        std::string whyNot;
        if (!m_display.connect(whyNot))
            GTEST_SKIP() << whyNot;
        VulkanTestRig::SetUp();
    }

    void TearDown() override
    {
        if (!m_display.connection())
            return;
        VulkanTestRig::TearDown();
        m_display.disconnect();
    }

    SurfaceOptions openWindow(int16_t x, uint16_t width, uint16_t height)
    {
        return { m_display.connection(), m_display.createWindow(x, 0, width, height) };
    }

    void resizeWindow(const SurfaceOptions &window, uint32_t width, uint32_t height)
    {
        m_display.resize(window.window, width, height);
    }

    SwapchainOptions swapchainOptions(const Surface &surface, const Handle<Swapchain_t> &old = {})
    {
        const SwapchainProperties properties = adapter->swapchainProperties(surface.handle());
        SwapchainOptions options;
        options.surface = surface.handle();
        options.format = properties.formats.front().format;
        for (const SurfaceFormat &format : properties.formats)
            if (format.format == Format::B8G8R8A8_UNORM)
                options.format = format.format;
        options.minImageCount = std::max(2u, properties.capabilities.minImageCount);
        options.imageExtent = properties.capabilities.currentExtent;
        options.imageLayers = 1; // an X11 surface offers one array layer
        options.imageUsageFlags = TextureUsageFlagBits::ColorAttachmentBit | TextureUsageFlagBits::TransferDstBit;
        options.transform = properties.capabilities.currentTransform;
        options.oldSwapchain = old;
        return options;
    }

    // Records a clear of a swapchain image to `clear`, leaving it ready to present. The layout transition starts
    // at colour attachment output, where the submission waits for the image to be acquired.
    static void recordClearForPresent(CommandRecorder &recorder, const Handle<Texture_t> &image,
                                      const ColorClearValue &clear)
    {
        TextureMemoryBarrierOptions barrier;
        barrier.srcStages = PipelineStageFlagBits::ColorAttachmentOutputBit;
        barrier.dstStages = PipelineStageFlagBits::TransferBit;
        barrier.dstMask = AccessFlagBits::TransferWriteBit;
        barrier.newLayout = TextureLayout::TransferDstOptimal;
        barrier.texture = image;
        barrier.range = { colourAspect, 0, 1, 0, 1 };
        recorder.textureMemoryBarrier(barrier);
        recorder.clearColorTexture({ image, TextureLayout::TransferDstOptimal, clear, { barrier.range } });
        barrier.srcStages = PipelineStageFlagBits::TransferBit;
        barrier.srcMask = AccessFlagBits::TransferWriteBit;
        barrier.dstStages = PipelineStageFlagBits::BottomOfPipeBit;
        barrier.dstMask = {};
        barrier.oldLayout = TextureLayout::TransferDstOptimal;
        barrier.newLayout = TextureLayout::PresentSrc;
        recorder.textureMemoryBarrier(barrier);
    }

    // Acquires an image, clears it to a colour and presents it; returns the first result that is not Success.
    PresentResult clearAndPresent(Swapchain &swapchain, const ColorClearValue &clear)
    {
        uint32_t imageIndex = 0;
        const AcquireImageResult acquired = swapchain.getNextImageIndex(imageIndex, m_imageAvailable.handle());
        if (acquired != AcquireImageResult::Success)
            return acquired;
        const Handle<Texture_t> image = swapchain.textures().at(imageIndex).handle();
        CommandRecorder recorder = device.createCommandRecorder();
        recordClearForPresent(recorder, image, clear);
        CommandBuffer commands = recorder.finish();

        Queue &queue = device.queues().at(0);
        EXPECT_EQ(queue.submit({ { commands.handle() },
                                 { m_imageAvailable.handle() },
                                 { m_renderDone.handle() },
                                 m_frameDone.handle() }),
                  ResultCode::Success);
        const PresentResult presented =
                queue.present({ { m_renderDone.handle() }, { { swapchain.handle(), imageIndex } } });
        EXPECT_EQ(m_frameDone.wait(), ResultCode::Success);
        EXPECT_EQ(m_frameDone.reset(), ResultCode::Success);
        return presented;
    }

    void makeSyncObjects()
    {
        m_imageAvailable = device.createGpuSemaphore();
        m_renderDone = device.createGpuSemaphore();
        m_frameDone = device.createFence();
    }

    void dropSyncObjects()
    {
        device.queues().at(0).waitUntilIdle();
        m_imageAvailable = {};
        m_renderDone = {};
        m_frameDone = {};
    }

    GpuSemaphore m_imageAvailable;
    GpuSemaphore m_renderDone;
    Fence m_frameDone;

private:
    TbGpuTest::TestDisplay m_display;
};

TEST_F(SwapchainTest, ClearedImageReachesTheScreenAndResizeRecreates)
{
    const SurfaceOptions window = openWindow(0, 320, 240);
    Surface surface = instance.createSurface(window);
    ASSERT_TRUE(surface.isValid());
    ASSERT_TRUE(adapter->supportsPresentation(surface.handle(), device.queues().at(0).queueTypeIndex()));
    makeSyncObjects();

    Swapchain swapchain = device.createSwapchain(swapchainOptions(surface));
    ASSERT_TRUE(swapchain.isValid());
    ASSERT_GE(swapchain.textures().size(), 2u);
    std::vector<Handle<Texture_t>> images;
    for (const Texture &texture : swapchain.textures()) {
        ASSERT_TRUE(texture.isValid());
        images.push_back(texture.handle());
        manager()->deleteTexture(texture.handle()); // a swapchain image stays with its swapchain
        EXPECT_NE(manager()->getTexture(texture.handle()), nullptr);
    }

    EXPECT_EQ(clearAndPresent(swapchain, colour(1, 0, 1)), PresentResult::Success);
    EXPECT_EQ(device.queues().at(0).lastPerSwapchainPresentResults(),
              std::vector<PresentResult>{ PresentResult::Success });
    EXPECT_EQ(waitForScreenPixel(160, 120, { 255, 0, 255 }), (Rgb{ 255, 0, 255 }));

    // After the window shrinks the swapchain no longer fits it. Drivers say so as out of date, or (X11 here) as
    // suboptimal, which still presents and counts as Success; either way the surface's extent has moved away from
    // the swapchain's, and the caller builds a new swapchain on top of the old.
    resizeWindow(window, 200, 150);
    const PresentResult afterResize = clearAndPresent(swapchain, colour(1, 0, 1));
    EXPECT_TRUE(afterResize == PresentResult::Success || afterResize == PresentResult::OutOfDate);
    const Extent2D surfaceExtent = adapter->swapchainProperties(surface.handle()).capabilities.currentExtent;
    EXPECT_EQ(surfaceExtent, (Extent2D{ 200, 150 }));
    const Extent3D swapchainExtent = manager()->getSwapchain(swapchain.handle())->extent;
    ASSERT_TRUE(afterResize == PresentResult::OutOfDate || surfaceExtent.width != swapchainExtent.width ||
                surfaceExtent.height != swapchainExtent.height);
    dropSyncObjects(); // an acquire that failed may leave its semaphore in use; start the new chain afresh
    makeSyncObjects();
    Swapchain replacement = device.createSwapchain(swapchainOptions(surface, swapchain.handle()));
    ASSERT_TRUE(replacement.isValid());
    swapchain = std::move(replacement);
    for (const Handle<Texture_t> &image : images)
        EXPECT_EQ(manager()->getTexture(image), nullptr) << "the old images' textures went with their swapchain";
    EXPECT_EQ(manager()->getSwapchain(swapchain.handle())->extent, (Extent3D{ 200, 150, 1 }));

    EXPECT_EQ(clearAndPresent(swapchain, colour(0, 1, 0)), PresentResult::Success);
    EXPECT_EQ(waitForScreenPixel(100, 75, { 0, 255, 0 }), (Rgb{ 0, 255, 0 }));
    dropSyncObjects();
}

// A render pass takes the acquired image out of the undefined layout in its incoming dependency, at colour
// attachment output: the submission waits for the acquire there, so the image is not touched before the
// presentation engine lets go of it. Semaphores a submission signals are waited for by all commands.
TEST_F(SwapchainTest, AcquiredImageIsWaitedForAtColourAttachmentOutput)
{
    Surface surface = instance.createSurface(openWindow(0, 160, 120));
    Swapchain swapchain = device.createSwapchain(swapchainOptions(surface));
    ASSERT_TRUE(swapchain.isValid());
    makeSyncObjects();
    uint32_t imageIndex = 0;
    ASSERT_EQ(swapchain.getNextImageIndex(imageIndex, m_imageAvailable.handle()), AcquireImageResult::Success);
    TextureView view = swapchain.textures().at(imageIndex).createView();
    ASSERT_TRUE(view.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    ColorAttachment target;
    target.view = view.handle();
    target.clearValue = colour(0, 0, 1);
    target.finalLayout = TextureLayout::PresentSrc;
    recorder.beginRenderPass({ { target } }).end();
    CommandBuffer commands = recorder.finish();
    Queue &queue = device.queues().at(0);
    ASSERT_EQ(queue.submit({ { commands.handle() },
                             { m_imageAvailable.handle() },
                             { m_renderDone.handle() },
                             m_frameDone.handle() }),
              ResultCode::Success);
    EXPECT_EQ(manager()->getQueue(queue.handle())->waitStages,
              std::vector<VkPipelineStageFlags>{ VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT });
    EXPECT_EQ(queue.present({ { m_renderDone.handle() }, { { swapchain.handle(), imageIndex } } }),
              PresentResult::Success);
    EXPECT_EQ(m_frameDone.wait(), ResultCode::Success);
    EXPECT_EQ(waitForScreenPixel(80, 60, { 0, 0, 255 }), (Rgb{ 0, 0, 255 }));

    // The semaphore a submission signalled is waited for by all commands of the next one.
    ASSERT_EQ(queue.submit({ {}, {}, { m_imageAvailable.handle() }, {} }), ResultCode::Success);
    ASSERT_EQ(queue.submit({ {}, { m_imageAvailable.handle() }, {}, {} }), ResultCode::Success);
    EXPECT_EQ(manager()->getQueue(queue.handle())->waitStages,
              std::vector<VkPipelineStageFlags>{ VK_PIPELINE_STAGE_ALL_COMMANDS_BIT });
    dropSyncObjects();
}

// A minimised window reports a zero extent; such a swapchain is refused with an error before the driver sees it.
TEST_F(SwapchainTest, ZeroExtentIsRefusedBeforeReachingTheDriver)
{
    Surface surface = instance.createSurface(openWindow(0, 160, 120));
    for (const Extent2D extent : { Extent2D{ 0, 0 }, Extent2D{ 160, 0 }, Extent2D{ 0, 120 } }) {
        SwapchainOptions options = swapchainOptions(surface);
        options.imageExtent = extent;
        TbGpuTest::LogCapture log;
        EXPECT_FALSE(device.createSwapchain(options).isValid()) << extent.width << "x" << extent.height;
        EXPECT_TRUE(log.contains(spdlog::level::err,
                                 "Error when creating swapchain: extent and array layers must be greater than 0"));
    }
}

// Acquire and present results reduce to what a caller acts on: suboptimal, timeout and not-ready still deliver an
// image and count as Success.
TEST(PresentResultTest, VulkanResultsReduceToFiveOutcomes)
{
    const std::pair<VkResult, PresentResult> cases[] = {
        { VK_SUCCESS, PresentResult::Success },
        { VK_SUBOPTIMAL_KHR, PresentResult::Success },
        { VK_TIMEOUT, PresentResult::Success },
        { VK_NOT_READY, PresentResult::Success },
        { VK_ERROR_OUT_OF_DATE_KHR, PresentResult::OutOfDate },
        { VK_ERROR_SURFACE_LOST_KHR, PresentResult::SurfaceLost },
        { VK_ERROR_FULL_SCREEN_EXCLUSIVE_MODE_LOST_EXT, PresentResult::SurfaceLost },
        { VK_ERROR_DEVICE_LOST, PresentResult::DeviceLost },
        { VK_ERROR_OUT_OF_HOST_MEMORY, PresentResult::OutOfMemory },
        { VK_ERROR_OUT_OF_DEVICE_MEMORY, PresentResult::OutOfMemory },
    };
    for (const auto &[vkResult, expected] : cases)
        EXPECT_EQ(vkResultToPresentResult(vkResult), expected) << vkResult;
}

TEST_F(SwapchainTest, OnePresentForTwoSwapchains)
{
    Surface left = instance.createSurface(openWindow(0, 160, 120));
    Surface right = instance.createSurface(openWindow(400, 160, 120));
    Swapchain leftChain = device.createSwapchain(swapchainOptions(left));
    Swapchain rightChain = device.createSwapchain(swapchainOptions(right));
    ASSERT_TRUE(leftChain.isValid() && rightChain.isValid());

    GpuSemaphore leftAcquired = device.createGpuSemaphore();
    GpuSemaphore rightAcquired = device.createGpuSemaphore();
    GpuSemaphore cleared = device.createGpuSemaphore();
    uint32_t leftIndex = 0;
    uint32_t rightIndex = 0;
    ASSERT_EQ(leftChain.getNextImageIndex(leftIndex, leftAcquired.handle()), AcquireImageResult::Success);
    ASSERT_EQ(rightChain.getNextImageIndex(rightIndex, rightAcquired.handle()), AcquireImageResult::Success);

    CommandRecorder recorder = device.createCommandRecorder();
    const std::array<std::pair<Handle<Texture_t>, ColorClearValue>, 2> targets = {
        std::pair{ leftChain.textures().at(leftIndex).handle(), colour(1, 1, 0) },
        std::pair{ rightChain.textures().at(rightIndex).handle(), colour(0, 1, 1) },
    };
    for (const auto &[image, clear] : targets)
        recordClearForPresent(recorder, image, clear);
    CommandBuffer commands = recorder.finish();
    Fence done = device.createFence();
    Queue &queue = device.queues().at(0);
    ASSERT_EQ(queue.submit({ { commands.handle() },
                             { leftAcquired.handle(), rightAcquired.handle() },
                             { cleared.handle() },
                             done.handle() }),
              ResultCode::Success);
    EXPECT_EQ(queue.present({ { cleared.handle() },
                              { { leftChain.handle(), leftIndex },
                                { Handle<Swapchain_t>{ 50, 1 }, 0 },
                                { rightChain.handle(), rightIndex } } }),
              PresentResult::Success);
    EXPECT_EQ(queue.lastPerSwapchainPresentResults(),
              (std::vector<PresentResult>{ PresentResult::Success, PresentResult::Success }))
            << "a swapchain that names nothing is skipped";
    EXPECT_EQ(done.wait(), ResultCode::Success);
    EXPECT_EQ(waitForScreenPixel(80, 60, { 255, 255, 0 }), (Rgb{ 255, 255, 0 }));
    EXPECT_EQ(waitForScreenPixel(480, 60, { 0, 255, 255 }), (Rgb{ 0, 255, 255 }));
    queue.waitUntilIdle();
}
