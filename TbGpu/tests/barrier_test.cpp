#include "gpu_commands.h"
#include "vulkan_test_rig.h"

using namespace TbGpu;
using TbGpuTest::colourAspect;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

// The same transfers and layout transitions recorded with synchronization2 barriers and with legacy barriers;
// the legacy path is forced by taking the device's synchronization2 entry point away.
class BarrierTest : public VulkanTestRig, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        VulkanTestRig::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_NE(deviceRecord()->vkCmdPipelineBarrier2KHR, nullptr) << "the rig's device has synchronization2";
        if (legacy())
            deviceRecord()->vkCmdPipelineBarrier2KHR = nullptr;
    }
    static bool legacy() { return GetParam(); }
};

TEST_P(BarrierTest, TransfersOrderedByBarriersReachTheHost)
{
    constexpr uint32_t words = 64;
    Buffer source =
            device.createBuffer({ words * 4, BufferUsageFlagBits::TransferDstBit | BufferUsageFlagBits::TransferSrcBit,
                                  MemoryUsage::GpuOnly });
    Buffer readback = TbGpuTest::readbackBuffer(device, words * 4 + 16 * 16 * 4);
    TextureOptions textureOptions;
    textureOptions.format = Format::R8G8B8A8_UNORM;
    textureOptions.extent = { 16, 16, 1 };
    textureOptions.usage = TextureUsageFlagBits::TransferDstBit | TextureUsageFlagBits::TransferSrcBit;
    Texture texture = device.createTexture(textureOptions);
    ASSERT_TRUE(source.isValid() && readback.isValid() && texture.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    recorder.clearBuffer({ source.handle(), 0, words * 4, 0xA5A5A5A5u });
    std::vector<uint32_t> update(8, 0x01020304u);
    // Between two transfer writes of the same range: a global memory barrier.
    recorder.memoryBarrier({ PipelineStageFlagBits::TransferBit,
                             PipelineStageFlagBits::TransferBit,
                             { { AccessFlagBits::TransferWriteBit, AccessFlagBits::TransferWriteBit } } });
    recorder.updateBuffer({ source.handle(), 16, update.data(), update.size() * 4 });
    BufferMemoryBarrierOptions toCopy;
    toCopy.srcStages = PipelineStageFlagBits::TransferBit;
    toCopy.srcMask = AccessFlagBits::TransferWriteBit;
    toCopy.dstStages = PipelineStageFlagBits::TransferBit;
    toCopy.dstMask = AccessFlagBits::TransferReadBit;
    toCopy.buffer = source.handle();
    recorder.bufferMemoryBarrier(toCopy);
    recorder.copyBuffer({ source.handle(), 0, readback.handle(), 0, words * 4 });

    TextureMemoryBarrierOptions toClear;
    toClear.srcStages = PipelineStageFlagBits::TopOfPipeBit;
    toClear.dstStages = PipelineStageFlagBits::TransferBit;
    toClear.dstMask = AccessFlagBits::TransferWriteBit;
    toClear.newLayout = TextureLayout::TransferDstOptimal;
    toClear.texture = texture.handle();
    toClear.range = { colourAspect, 0, 1, 0, 1 };
    recorder.textureMemoryBarrier(toClear);
    ColorClearValue clear;
    clear.float32[0] = 0.0f;
    clear.float32[1] = 1.0f;
    clear.float32[2] = 1.0f;
    clear.float32[3] = 1.0f;
    recorder.clearColorTexture(
            { texture.handle(), TextureLayout::TransferDstOptimal, clear, { { colourAspect, 0, 1, 0, 1 } } });
    TextureMemoryBarrierOptions toRead = toClear;
    // CopyBit lies above the 32 bits of legacy stage masks: on the legacy path it is dropped with a warning and
    // the transfer bit beside it still orders the copy.
    toRead.srcStages = PipelineStageFlagBits::TransferBit | PipelineStageFlagBits::CopyBit;
    toRead.srcMask = AccessFlagBits::TransferWriteBit;
    toRead.dstMask = AccessFlagBits::TransferReadBit;
    toRead.oldLayout = TextureLayout::TransferDstOptimal;
    toRead.newLayout = TextureLayout::TransferSrcOptimal;
    LogCapture log;
    recorder.textureMemoryBarrier(toRead);
    const bool warned = log.contains(
            spdlog::level::warn,
            "The requested PipelineStageFlags are not supported without the VK_KHR_Synchronization2 extension.");
    EXPECT_EQ(warned, legacy());
    BufferTextureCopyRegion region;
    region.bufferOffset = words * 4;
    region.textureExtent = { 16, 16, 1 };
    recorder.copyTextureToBuffer(
            { texture.handle(), TextureLayout::TransferSrcOptimal, readback.handle(), { region } });
    TbGpuTest::transferToHostBarrier(recorder, readback);
    TbGpuTest::submitAndWait(device, recorder.finish());

    const std::vector<uint8_t> bytes = TbGpuTest::bufferBytes(readback, words * 4 + 16 * 16 * 4);
    std::vector<uint32_t> copied(words);
    std::memcpy(copied.data(), bytes.data(), words * 4);
    for (uint32_t i = 0; i < words; ++i)
        EXPECT_EQ(copied[i], i >= 4 && i < 12 ? 0x01020304u : 0xA5A5A5A5u) << i;
    for (size_t texel = 0; texel < 16 * 16; ++texel) {
        const uint8_t *p = &bytes[words * 4 + texel * 4];
        ASSERT_EQ(p[0], 0);
        ASSERT_EQ(p[1], 255);
        ASSERT_EQ(p[2], 255);
        ASSERT_EQ(p[3], 255);
    }
}

// A memory barrier without entries still orders its stages: a copy that reads a buffer finishes before a fill
// overwrites it (a write after read needs no memory dependency, only the execution one).
TEST_P(BarrierTest, MemoryBarrierWithoutEntriesOrdersItsStages)
{
    Buffer source = device.createBuffer(
            { 256, BufferUsageFlagBits::TransferSrcBit | BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuOnly });
    Buffer target = device.createBuffer({ 256, BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuOnly });
    CommandRecorder recorder = device.createCommandRecorder();
    recorder.clearBuffer({ source.handle(), 0, 256, 1 });
    recorder.memoryBarrier({ PipelineStageFlagBits::TransferBit,
                             PipelineStageFlagBits::TransferBit,
                             { { AccessFlagBits::TransferWriteBit, AccessFlagBits::TransferReadBit } } });
    recorder.copyBuffer({ source.handle(), 0, target.handle(), 0, 256 });
    recorder.memoryBarrier({ PipelineStageFlagBits::TransferBit, PipelineStageFlagBits::TransferBit, {} });
    recorder.clearBuffer({ source.handle(), 0, 256, 2 });
    TbGpuTest::submitAndWait(device, recorder.finish());
    EXPECT_EQ(validation().countWithId("SYNC-HAZARD"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Paths, BarrierTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "Legacy" : "Synchronization2";
                         });
