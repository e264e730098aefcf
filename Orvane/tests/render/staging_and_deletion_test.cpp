#include "../assets/asset_test_support.h"

#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/staging_buffer_pool.h>

#include <gpu_commands.h>
// TbGpu's own records, for the count of live device memory allocations.
#include <vulkan/vulkan_device.h>
#include <vulkan/vulkan_resource_manager.h>

#include <TbGpu/adapter.h>

#include <numeric>

using namespace Orvane;
using Orvane::Render::ResourceDeleter;

namespace {

// Frames of a renderer as the deleter and the pool see them: the end of a frame, then the wait for the fence of
// the slot the next frame reuses.
void finishFrame(ResourceDeleter &deleter, StagingBufferPool &pool)
{
    deleter.advanceFrame();
    pool.trim();
    deleter.destroyCompletedBatches();
}

std::vector<uint8_t> pattern(std::size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(i * 13 + seed + i / 4093);
    return bytes;
}

} // namespace

class StagingAndDeletionTest : public TbGpuTest::GpuTestRig
{
protected:
    uint64_t liveAllocations()
    {
        return api.vulkanResourceManager()->getDevice(device.handle())->allocator->statistics().allocationCount;
    }

    TbGpu::Buffer gpuBuffer(uint64_t size)
    {
        return device.createBuffer(
                { size, TbGpu::BufferUsageFlagBits::TransferDstBit | TbGpu::BufferUsageFlagBits::TransferSrcBit,
                  TbGpu::MemoryUsage::GpuOnly });
    }

    // Copies the GPU buffer back to the host.
    std::vector<uint8_t> readBack(const TbGpu::Buffer &buffer, uint64_t size)
    {
        TbGpu::Buffer readback = TbGpuTest::readbackBuffer(device, size);
        TbGpu::CommandRecorder recorder = device.createCommandRecorder();
        recorder.copyBuffer({ buffer.handle(), 0, readback.handle(), 0, size });
        TbGpuTest::transferToHostBarrier(recorder, readback);
        TbGpuTest::submitAndWait(device, recorder.finish());
        return TbGpuTest::bufferBytes(readback, size);
    }
};

TEST_F(StagingAndDeletionTest, ObjectsRetiredInOneFrameShareABatchDestroyedOnceBothFramesInFlightCompleted)
{
    Orvane::Test::LogCapture defaultLog;
    ResourceDeleter deleter(&device);
    deleter.currentBatch().buffers.push_back(gpuBuffer(64));
    deleter.currentBatch().buffers.push_back(gpuBuffer(64));
    ASSERT_EQ(deleter.batches().size(), 1u);
    EXPECT_EQ(deleter.batches().front().buffers.size(), 2u);
    const auto liveWithBatch = liveAllocations();

    deleter.advanceFrame();
    deleter.destroyCompletedBatches(); // frame 1: frame 0 may still run
    deleter.currentBatch().buffers.push_back(gpuBuffer(64));
    ASSERT_EQ(deleter.batches().size(), 2u);

    deleter.advanceFrame();
    deleter.destroyCompletedBatches(); // frame 2: the fence of frame 0 was waited on
    ASSERT_EQ(deleter.batches().size(), 1u);
    EXPECT_EQ(deleter.batches().front().frameNumber, 1u);
    EXPECT_EQ(liveAllocations(), liveWithBatch - 1);

    deleter.advanceFrame();
    deleter.destroyCompletedBatches();
    EXPECT_TRUE(deleter.batches().empty());
    EXPECT_EQ(defaultLog.count("still potentially referenced"), 0u);
}

TEST_F(StagingAndDeletionTest, DestroyingABatchThatFramesMayStillReadIsReportedOutsideAFlush)
{
    Orvane::Test::LogCapture defaultLog;
    ResourceDeleter deleter(&device);
    deleter.currentBatch().buffers.push_back(gpuBuffer(16));
    deleter.destroyResources(deleter.currentBatch());
    EXPECT_EQ(defaultLog.count("Deleting resources scheduled in frame 0 which are still potentially referenced"), 1u);
    deleter.currentBatch().buffers.push_back(gpuBuffer(16));
    deleter.deleteAll();
    EXPECT_EQ(defaultLog.count("still potentially referenced"), 1u);
    EXPECT_TRUE(deleter.batches().empty());
}

TEST_F(StagingAndDeletionTest, StagedBytesArriveAtAlignedOffsetsAcrossBlocksAndInDedicatedBuffers)
{
    ResourceDeleter deleter(&device);
    StagingBufferPool pool(&device, &deleter);
    const uint64_t copyAlignment =
            std::lcm(uint64_t(4), std::max<uint64_t>(adapter->properties().limits.optimalBufferCopyOffsetAlignment, 1));

    const auto small = pattern(3, 1);
    const StagingAllocation first = pool.stage(small.data(), small.size());
    const StagingAllocation second = pool.stage(
            small.data(), small.size(), StagingBufferPool::textureCopyAlignment(TbGpu::Format::BC1_RGBA_UNORM_BLOCK));
    EXPECT_EQ(first.offset, 0u);
    EXPECT_EQ(second.buffer, first.buffer);
    EXPECT_EQ(second.offset % std::lcm(copyAlignment, uint64_t(8)), 0u);
    EXPECT_GE(second.offset, 3u);

    // A block holds 2 MiB: the second large upload starts a new block.
    const auto large = pattern(1536 * 1024, 2);
    const StagingAllocation inFirstBlock = pool.stage(large.data(), large.size());
    const StagingAllocation inSecondBlock = pool.stage(large.data(), large.size());
    EXPECT_EQ(inFirstBlock.buffer, first.buffer);
    EXPECT_NE(inSecondBlock.buffer, first.buffer);
    EXPECT_EQ(inSecondBlock.offset, 0u);
    EXPECT_EQ(pool.blockCount(), 2u);

    // Above 2 MiB: a buffer of its own, retired at once so that it lives until the frame's copies completed.
    const auto huge = pattern(3 * 1024 * 1024 + 5, 3);
    const StagingAllocation dedicated = pool.stage(huge.data(), huge.size());
    EXPECT_EQ(dedicated.offset, 0u);
    EXPECT_EQ(pool.blockCount(), 2u);
    EXPECT_EQ(deleter.currentBatch().buffers.size(), 1u);

    TbGpu::Buffer destination = gpuBuffer(huge.size());
    TbGpu::Buffer smallDestination = gpuBuffer(2 * 4);
    TbGpu::CommandRecorder recorder = device.createCommandRecorder();
    recorder.copyBuffer({ dedicated.buffer, dedicated.offset, destination.handle(), 0, huge.size() });
    recorder.copyBuffer({ second.buffer, second.offset, smallDestination.handle(), 4, 3 });
    TbGpuTest::submitAndWait(device, recorder.finish());
    EXPECT_EQ(readBack(destination, huge.size()), huge);
    const auto smallBack = readBack(smallDestination, 8);
    EXPECT_EQ(std::vector<uint8_t>(smallBack.begin() + 4, smallBack.begin() + 7), small);
}

TEST_F(StagingAndDeletionTest, ABlockIsWrittenFromItsStartAgainOnlyAfterItsFrameCompleted)
{
    ResourceDeleter deleter(&device);
    StagingBufferPool pool(&device, &deleter);
    const auto bytes = pattern(1536 * 1024, 4);

    const StagingAllocation frame0 = pool.stage(bytes.data(), bytes.size());
    finishFrame(deleter, pool); // frame 1 begins; frame 0 may still copy from the block
    const StagingAllocation frame1 = pool.stage(bytes.data(), bytes.size());
    EXPECT_NE(frame1.buffer, frame0.buffer);
    finishFrame(deleter, pool); // frame 2 begins: frame 0 has completed
    const StagingAllocation frame2 = pool.stage(bytes.data(), bytes.size());
    EXPECT_EQ(frame2.buffer, frame0.buffer);
    EXPECT_EQ(frame2.offset, 0u);

    // Steady use settles on a fixed number of blocks.
    for (int frame = 0; frame < 20; ++frame) {
        finishFrame(deleter, pool);
        pool.stage(bytes.data(), bytes.size());
    }
    EXPECT_LE(pool.blockCount(), 3u);
}

TEST_F(StagingAndDeletionTest, UploadBufferDataCopiesTheStagedBytesToEveryOffset)
{
    ResourceDeleter deleter(&device);
    StagingBufferPool pool(&device, &deleter);
    const auto data = pattern(64, 5);
    TbGpu::Buffer destination = gpuBuffer(128);
    TbGpu::CommandRecorder recorder = device.createCommandRecorder();
    uploadBufferData(recorder, pool, destination.handle(), data, { 64 });
    TbGpuTest::submitAndWait(device, recorder.finish());
    const auto back = readBack(destination, 128);
    EXPECT_EQ(std::vector<uint8_t>(back.begin(), back.begin() + 64), data);
    EXPECT_EQ(std::vector<uint8_t>(back.begin() + 64, back.end()), data);
}
