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

constexpr uint32_t colourAspect = 0x1; // VK_IMAGE_ASPECT_COLOR_BIT

} // namespace TbGpuTest
