#pragma once

// Small helpers for tests that record and run commands on the rig's device.

#include "gpu_test_rig.h"

#include <TbGpu/device.h>

#include <cstring>
#include <vector>

namespace TbGpuTest {

// Submits one command buffer to the device's first queue and waits for it to complete.
inline void submitAndWait(TbGpu::Device &device, const TbGpu::CommandBuffer &commands)
{
    TbGpu::Fence fence = device.createFence();
    TbGpu::SubmitOptions submit;
    submit.commandBuffers = { commands.handle() };
    submit.signalFence = fence.handle();
    ASSERT_EQ(device.queues().at(0).submit(submit), TbGpu::ResultCode::Success);
    ASSERT_EQ(fence.wait(), TbGpu::ResultCode::Success);
}

inline TbGpu::Buffer readbackBuffer(TbGpu::Device &device, uint64_t size)
{
    return device.createBuffer({ size, TbGpu::BufferUsageFlagBits::TransferDstBit, TbGpu::MemoryUsage::GpuToCpu });
}

// The bytes of a host-visible buffer.
inline std::vector<uint8_t> bufferBytes(TbGpu::Buffer &buffer, size_t size)
{
    std::vector<uint8_t> bytes(size);
    buffer.invalidate();
    std::memcpy(bytes.data(), buffer.map(), size);
    buffer.unmap();
    return bytes;
}

// Makes transfer writes visible to the host before the buffer is read.
inline void transferToHostBarrier(TbGpu::CommandRecorder &recorder, const TbGpu::Buffer &buffer)
{
    TbGpu::BufferMemoryBarrierOptions barrier;
    barrier.srcStages = TbGpu::PipelineStageFlagBits::TransferBit;
    barrier.srcMask = TbGpu::AccessFlagBits::TransferWriteBit;
    barrier.dstStages = TbGpu::PipelineStageFlagBits::HostBit;
    barrier.dstMask = TbGpu::AccessFlagBits::HostReadBit;
    barrier.buffer = buffer.handle();
    recorder.bufferMemoryBarrier(barrier);
}

// Finishes the recorder with a copy of a 4-byte-per-texel colour texture (in the transfer source layout, its first
// `layers` layers) into a host-visible buffer, submits it, waits, and returns the texels layer after layer.
inline std::vector<uint8_t> finishAndReadTexture(TbGpu::Device &device, TbGpu::CommandRecorder &recorder,
                                                 const TbGpu::Texture &texture, uint32_t width, uint32_t height,
                                                 uint32_t layers = 1)
{
    const size_t size = size_t(width) * height * layers * 4;
    TbGpu::Buffer readback = readbackBuffer(device, size);
    TbGpu::BufferTextureCopyRegion region;
    region.textureSubResource = { TbGpu::TextureAspectFlagBits::ColorBit, 0, 0, layers };
    region.textureExtent = { width, height, 1 };
    recorder.copyTextureToBuffer(
            { texture.handle(), TbGpu::TextureLayout::TransferSrcOptimal, readback.handle(), { region } });
    transferToHostBarrier(recorder, readback);
    submitAndWait(device, recorder.finish());
    return bufferBytes(readback, size);
}

constexpr uint32_t colourAspect = 0x1; // VK_IMAGE_ASPECT_COLOR_BIT

} // namespace TbGpuTest
