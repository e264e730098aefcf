#include <Orvane/render/storages/gpu_transfers.h>

#include <TbGpu/command_recorder.h>
#include <TbGpu/device.h>

#include <cstring>
#include <stdexcept>

namespace Orvane::Render {

using TbGpu::AccessFlagBits;
using TbGpu::PipelineStageFlagBits;
using TbGpu::TextureLayout;

void submitAndWaitIdle(TbGpu::Device &device, TbGpu::Queue &queue,
                       const std::function<void(TbGpu::CommandRecorder &)> &record)
{
    TbGpu::CommandRecorder recorder = device.createCommandRecorder({ queue.handle() });
    record(recorder);
    TbGpu::CommandBuffer commands = recorder.finish();
    TbGpu::SubmitOptions submit;
    submit.commandBuffers = { commands.handle() };
    queue.submit(submit);
    queue.waitUntilIdle();
}

TbGpu::Buffer createBufferWithData(TbGpu::Device &device, TbGpu::Queue &queue, const TbGpu::BufferOptions &options,
                                   const std::vector<uint8_t> &data, const std::vector<uint64_t> &extraOffsets)
{
    TbGpu::Buffer buffer = device.createBuffer(options);
    if (data.empty() || !buffer.isValid())
        return buffer;
    TbGpu::Buffer staging = device.createBuffer(
            { data.size(), TbGpu::BufferUsageFlagBits::TransferSrcBit, TbGpu::MemoryUsage::CpuOnly });
    std::memcpy(staging.map(), data.data(), data.size());
    staging.flush();
    staging.unmap();
    submitAndWaitIdle(device, queue, [&](TbGpu::CommandRecorder &recorder) {
        recorder.copyBuffer({ staging.handle(), 0, buffer.handle(), 0, data.size() });
        for (uint64_t offset : extraOffsets)
            recorder.copyBuffer({ staging.handle(), 0, buffer.handle(), offset, data.size() });
    });
    return buffer;
}

namespace {

struct TransitionRule {
    TextureLayout from;
    TextureLayout to;
    TbGpu::PipelineStageFlags srcStages;
    TbGpu::AccessFlags srcAccess;
    TbGpu::PipelineStageFlags dstStages;
    TbGpu::AccessFlags dstAccess;
};

const TransitionRule *findRule(TextureLayout from, TextureLayout to)
{
    static const TransitionRule rules[] = {
        { TextureLayout::Undefined,
          TextureLayout::TransferDstOptimal,
          PipelineStageFlagBits::TopOfPipeBit,
          {},
          PipelineStageFlagBits::TransferBit,
          AccessFlagBits::TransferWriteBit },
        { TextureLayout::Undefined,
          TextureLayout::TransferSrcOptimal,
          PipelineStageFlagBits::TopOfPipeBit,
          {},
          PipelineStageFlagBits::TransferBit,
          AccessFlagBits::TransferReadBit },
        { TextureLayout::Undefined,
          TextureLayout::DepthStencilAttachmentOptimal,
          PipelineStageFlagBits::TopOfPipeBit,
          {},
          PipelineStageFlagBits::EarlyFragmentTestsBit,
          AccessFlagBits::DepthStencilAttachmentReadBit | AccessFlagBits::DepthStencilAttachmentWriteBit },
        { TextureLayout::TransferDstOptimal, TextureLayout::ShaderReadOnlyOptimal, PipelineStageFlagBits::TransferBit,
          AccessFlagBits::TransferWriteBit, PipelineStageFlagBits::FragmentShaderBit, AccessFlagBits::ShaderReadBit },
        { TextureLayout::ColorAttachmentOptimal, TextureLayout::ShaderReadOnlyOptimal,
          PipelineStageFlagBits::ColorAttachmentOutputBit, AccessFlagBits::ColorAttachmentWriteBit,
          PipelineStageFlagBits::FragmentShaderBit, AccessFlagBits::ShaderReadBit },
        { TextureLayout::Undefined,
          TextureLayout::ShaderReadOnlyOptimal,
          PipelineStageFlagBits::TopOfPipeBit,
          {},
          PipelineStageFlagBits::FragmentShaderBit,
          AccessFlagBits::ShaderReadBit },
        { TextureLayout::Undefined,
          TextureLayout::ColorAttachmentOptimal,
          PipelineStageFlagBits::TopOfPipeBit,
          {},
          PipelineStageFlagBits::ColorAttachmentOutputBit,
          AccessFlagBits::ColorAttachmentReadBit | AccessFlagBits::ColorAttachmentWriteBit },
        { TextureLayout::TransferSrcOptimal,
          TextureLayout::ColorAttachmentOptimal,
          PipelineStageFlagBits::TopOfPipeBit,
          {},
          PipelineStageFlagBits::ColorAttachmentOutputBit,
          AccessFlagBits::ColorAttachmentReadBit | AccessFlagBits::ColorAttachmentWriteBit },
        { TextureLayout::TransferDstOptimal, TextureLayout::General, PipelineStageFlagBits::TransferBit,
          AccessFlagBits::TransferWriteBit, PipelineStageFlagBits::TransferBit, AccessFlagBits::MemoryReadBit },
    };
    for (const TransitionRule &rule : rules) {
        if (rule.from == from && rule.to == to)
            return &rule;
    }
    return nullptr;
}

bool hasStencil(TbGpu::Format format)
{
    const auto value = uint32_t(format);
    return value >= 127 && value <= 130;
}

} // namespace

void transitionLayout(TbGpu::CommandRecorder &recorder, const TbGpu::Handle<TbGpu::Texture_t> &texture,
                      TbGpu::Format format, TextureLayout oldLayout, TextureLayout newLayout, uint32_t levels,
                      uint32_t layers)
{
    const TransitionRule *rule = findRule(oldLayout, newLayout);
    if (!rule)
        throw std::invalid_argument("unsupported layout transition!");
    uint32_t aspect = uint32_t(TbGpu::TextureAspectFlagBits::ColorBit);
    if (newLayout == TextureLayout::DepthStencilAttachmentOptimal) {
        aspect = uint32_t(TbGpu::TextureAspectFlagBits::DepthBit);
        if (hasStencil(format))
            aspect |= uint32_t(TbGpu::TextureAspectFlagBits::StencilBit);
    }
    TbGpu::TextureMemoryBarrierOptions barrier;
    barrier.srcStages = rule->srcStages;
    barrier.srcMask = rule->srcAccess;
    barrier.dstStages = rule->dstStages;
    barrier.dstMask = rule->dstAccess;
    barrier.oldLayout = oldLayout;
    barrier.newLayout = newLayout;
    barrier.texture = texture;
    // ~0u is Vulkan's VK_REMAINING_MIP_LEVELS / VK_REMAINING_ARRAY_LAYERS: every level and layer.
    barrier.range = { aspect, 0, levels, 0, layers };
    recorder.textureMemoryBarrier(barrier);
}

} // namespace Orvane::Render
