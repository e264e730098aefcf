#include "gpu_commands.h"
#include "vulkan_test_rig.h"

#include <array>

using namespace TbGpu;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

class SyncTest : public VulkanTestRig
{ };

TEST_F(SyncTest, FenceStatesAndSemaphoreExport)
{
    Fence fence = device.createFence({ true });
    ASSERT_TRUE(fence.isValid());
    EXPECT_EQ(fence.status(), FenceStatus::Signalled) << "a fence made signalled lets the first wait pass";
    EXPECT_EQ(fence.wait(), ResultCode::Success);
    EXPECT_EQ(fence.reset(), ResultCode::Success);
    EXPECT_EQ(fence.status(), FenceStatus::Unsignalled);
    EXPECT_EQ(Fence{}.status(), FenceStatus::Error);

    // This device cannot export semaphores as file descriptors: the semaphore is ordinary and its handle empty.
    GpuSemaphore exported = device.createGpuSemaphore({ ExternalSemaphoreHandleTypeFlagBits::OpaqueFdBit });
    ASSERT_TRUE(exported.isValid());
    if (!deviceRecord()->vkGetSemaphoreFdKHR) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(exported.externalSemaphoreHandle()));
    }
    EXPECT_TRUE(std::holds_alternative<std::monostate>(device.createGpuSemaphore().externalSemaphoreHandle()));
}

// Two frame slots, each with a fence (made signalled) and a semaphore. Each frame waits for its slot's fence,
// records its frame number into its slot's word and chains on the previous frame's semaphore.
TEST_F(SyncTest, TwoFramesInFlight)
{
    constexpr uint32_t frameCount = 7;
    std::array<Fence, 2> fences = { device.createFence({ true }), device.createFence({ true }) };
    std::array<GpuSemaphore, 2> semaphores = { device.createGpuSemaphore(), device.createGpuSemaphore() };
    std::array<CommandBuffer, 2> commands;
    Buffer words = device.createBuffer({ 8, BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuToCpu });
    ASSERT_TRUE(words.isValid());
    Queue &queue = device.queues().at(0);

    for (uint32_t frame = 0; frame < frameCount; ++frame) {
        const uint32_t slot = frame % 2;
        ASSERT_EQ(fences[slot].wait(), ResultCode::Success);
        ASSERT_EQ(fences[slot].reset(), ResultCode::Success);
        commands[slot] = {}; // the GPU is done with this slot's previous commands

        CommandRecorder recorder = device.createCommandRecorder();
        const uint32_t value = frame + 1;
        recorder.updateBuffer({ words.handle(), slot * 4u, &value, 4 });
        TbGpuTest::transferToHostBarrier(recorder, words);
        commands[slot] = recorder.finish();

        SubmitOptions submit;
        submit.commandBuffers = { commands[slot].handle() };
        if (frame > 0)
            submit.waitSemaphores = { semaphores[1 - slot].handle() };
        submit.waitSemaphores.push_back(Handle<GpuSemaphore_t>{ 99, 1 }); // names nothing: skipped
        submit.signalSemaphores = { semaphores[slot].handle() };
        submit.signalFence = fences[slot].handle();
        ASSERT_EQ(queue.submit(submit), ResultCode::Success);
        EXPECT_NE(fences[slot].status(), FenceStatus::Error);
    }
    // The last semaphore is waited on by a submission without a fence, so nothing is left signalled.
    SubmitOptions drain;
    drain.waitSemaphores = { semaphores[(frameCount - 1) % 2].handle() };
    ASSERT_EQ(queue.submit(drain), ResultCode::Success);
    for (Fence &fence : fences) {
        EXPECT_EQ(fence.wait(), ResultCode::Success);
        EXPECT_EQ(fence.status(), FenceStatus::Signalled);
    }
    EXPECT_EQ(queue.waitUntilIdle(), ResultCode::Success);

    const std::vector<uint8_t> bytes = TbGpuTest::bufferBytes(words, 8);
    uint32_t last[2];
    std::memcpy(last, bytes.data(), 8);
    EXPECT_EQ(last[(frameCount - 1) % 2], frameCount);
    EXPECT_EQ(last[(frameCount - 2) % 2], frameCount - 1);
}

class TimestampTest : public VulkanTestRig
{
protected:
    VulkanTimestampQueryRecorder *timestamps(const Handle<TimestampQueryRecorder_t> &handle)
    {
        return manager()->getTimestampQueryRecorder(handle);
    }
};

TEST_F(TimestampTest, TimestampsIncreaseAndConvertWithThePeriod)
{
    constexpr uint64_t bytes = 32ull << 20;
    Buffer big = device.createBuffer({ bytes, BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuOnly });
    CommandRecorder recorder = device.createCommandRecorder();
    const Handle<TimestampQueryRecorder_t> handle =
            manager()->createTimestampQueryRecorder(device.handle(), recorder.handle(), { 4 });
    ASSERT_TRUE(handle.isValid());
    EXPECT_TRUE(timestamps(handle)->queryResults().empty()) << "nothing written yet";
    EXPECT_EQ(timestamps(handle)->writeTimestamp(PipelineStageFlagBits::TopOfPipeBit), 1u);
    recorder.clearBuffer({ big.handle(), 0, bytes, 7 });
    EXPECT_EQ(timestamps(handle)->writeTimestamp(PipelineStageFlagBits::BottomOfPipeBit), 2u);
    TbGpuTest::submitAndWait(device, recorder.finish());

    const std::vector<uint64_t> results = timestamps(handle)->queryResults();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_GT(results[0], 0u);
    EXPECT_GT(results[1], results[0]);
    const float period = timestamps(handle)->timestampPeriod();
    EXPECT_EQ(period, adapter->properties().limits.timestampPeriod);
    const double nanoseconds = double(results[1] - results[0]) * period;
    EXPECT_GT(nanoseconds, 0.0);
    EXPECT_LT(nanoseconds, 60e9) << "filling 32 MiB takes well under a minute";
    manager()->deleteTimestampQueryRecorder(handle);
}

TEST_F(TimestampTest, RangesOfTheSharedQueryPool)
{
    CommandRecorder recorder = device.createCommandRecorder();
    auto make = [&](uint32_t count) {
        return manager()->createTimestampQueryRecorder(device.handle(), recorder.handle(), { count });
    };
    const auto first = make(8);
    const auto second = make(8);
    EXPECT_EQ(timestamps(first)->startQuery, 0u);
    EXPECT_EQ(timestamps(second)->startQuery, 8u);
    manager()->deleteTimestampQueryRecorder(first);
    const auto third = make(8);
    EXPECT_EQ(timestamps(third)->startQuery, 16u) << "a gap is reused only once every range above it is gone";
    {
        LogCapture log;
        EXPECT_FALSE(make(1024).isValid()) << "the pool has 1024 queries";
        EXPECT_TRUE(log.containsPrefix(spdlog::level::err, "Timestamp queries 24 to 1048"));
    }
    manager()->deleteTimestampQueryRecorder(second);
    manager()->deleteTimestampQueryRecorder(third);
    const auto fourth = make(2);
    EXPECT_EQ(timestamps(fourth)->startQuery, 0u);

    LogCapture log;
    EXPECT_EQ(timestamps(fourth)->writeTimestamp(PipelineStageFlagBits::TopOfPipeBit), 1u);
    EXPECT_EQ(timestamps(fourth)->writeTimestamp(PipelineStageFlagBits::TopOfPipeBit), 2u);
    EXPECT_EQ(timestamps(fourth)->writeTimestamp(PipelineStageFlagBits::BottomOfPipeBit), 2u);
    EXPECT_EQ(log.count("TimestampQueryRecorder query count exceeded, overwriting last query"), 1u);
    TbGpuTest::submitAndWait(device, recorder.finish());
    const std::vector<uint64_t> results = timestamps(fourth)->queryResults();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_GE(results[1], results[0]) << "the third timestamp replaced the second";
    manager()->deleteTimestampQueryRecorder(fourth);
    EXPECT_TRUE(manager()->timestampQueryRanges().empty());

    LogCapture missing;
    EXPECT_FALSE(manager()->createTimestampQueryRecorder(device.handle(), {}, { 2 }).isValid());
    EXPECT_TRUE(missing.contains(spdlog::level::err, "Could not find a valid command recorder"));
}

// Inside a multiview pass one timestamp takes a query per view, so the recorder moves on by the view count and its
// range never runs into the next one. Past its range inside a pass, where no query may be reset, the timestamp is
// dropped; outside a pass the last query is reset and overwritten as before.
TEST_F(TimestampTest, MultiviewPassesTakeAQueryPerViewAndDropOverflowInsideAPass)
{
    TextureOptions layered;
    layered.format = Format::R8G8B8A8_UNORM;
    layered.extent = { 16, 16, 1 };
    layered.arrayLayers = 2;
    layered.usage = TextureUsageFlagBits::ColorAttachmentBit;
    Texture target = device.createTexture(layered);
    TextureViewOptions viewOptions;
    viewOptions.viewType = ViewType::ViewType2DArray;
    viewOptions.range.layerCount = 2;
    TextureView view = target.createView(viewOptions);
    ASSERT_TRUE(view.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    const auto handle = manager()->createTimestampQueryRecorder(device.handle(), recorder.handle(), { 3 });
    const auto next = manager()->createTimestampQueryRecorder(device.handle(), recorder.handle(), { 1 });
    ASSERT_TRUE(handle.isValid() && next.isValid());
    LogCapture log;
    EXPECT_EQ(timestamps(handle)->writeTimestamp(PipelineStageFlagBits::TopOfPipeBit), 1u);
    ColorAttachment colour;
    colour.view = view.handle();
    colour.finalLayout = TextureLayout::ColorAttachmentOptimal;
    RenderPassCommandRecorder pass = recorder.beginRenderPass({ { colour }, {}, SampleCountFlagBits::Samples1Bit, 2 });
    ASSERT_TRUE(pass.isValid());
    EXPECT_EQ(timestamps(handle)->writeTimestamp(PipelineStageFlagBits::TopOfPipeBit), 3u) << "one query per view";
    EXPECT_EQ(timestamps(handle)->writeTimestamp(PipelineStageFlagBits::BottomOfPipeBit), 3u);
    EXPECT_EQ(timestamps(next)->writeTimestamp(PipelineStageFlagBits::BottomOfPipeBit), 0u)
            << "two views do not fit a range of one";
    EXPECT_EQ(log.count("TimestampQueryRecorder query count exceeded inside a render pass, timestamp dropped"), 2u);
    pass.end();
    EXPECT_EQ(timestamps(handle)->writeTimestamp(PipelineStageFlagBits::BottomOfPipeBit), 3u);
    EXPECT_EQ(log.count("TimestampQueryRecorder query count exceeded, overwriting last query"), 1u);
    EXPECT_EQ(timestamps(next)->writeTimestamp(PipelineStageFlagBits::BottomOfPipeBit), 1u) << "its own query is free";
    TbGpuTest::submitAndWait(device, recorder.finish());

    const std::vector<uint64_t> results = timestamps(handle)->queryResults();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_GT(results[0], 0u);
    EXPECT_GE(results[2], results[0]) << "the last query holds the timestamp written after the pass";
    ASSERT_EQ(timestamps(next)->queryResults().size(), 1u);
    EXPECT_GE(timestamps(next)->queryResults()[0], results[0]);
    manager()->deleteTimestampQueryRecorder(handle);
    manager()->deleteTimestampQueryRecorder(next);
}
