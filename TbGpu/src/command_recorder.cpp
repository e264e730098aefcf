#include <TbGpu/command_recorder.h>

namespace TbGpu {

CommandRecorder::CommandRecorder(GraphicsApi *api, const Handle<Device_t> &device,
                                 const Handle<CommandRecorder_t> &recorder, CommandBufferLevel level)
    : DeviceObject(api, device, recorder)
    , m_level(level)
{
    if (ApiCommandRecorder *record = this->record())
        record->begin();
}

void CommandRecorder::blitTexture(const TextureBlit &blit)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->blitTexture(blit);
}

void CommandRecorder::clearBuffer(const BufferClear &clear)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->clearBuffer(clear);
}

void CommandRecorder::clearColorTexture(const ClearColorTexture &clear)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->clearColorTexture(clear);
}

void CommandRecorder::clearDepthStencilTexture(const ClearDepthStencilTexture &clear)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->clearDepthStencilTexture(clear);
}

void CommandRecorder::copyBuffer(const BufferCopy &copy)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->copyBuffer(copy);
}

void CommandRecorder::copyBufferToTexture(const BufferToTextureCopy &copy)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->copyBufferToTexture(copy);
}

void CommandRecorder::copyTextureToBuffer(const TextureToBufferCopy &copy)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->copyTextureToBuffer(copy);
}

void CommandRecorder::copyTextureToTexture(const TextureToTextureCopy &copy)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->copyTextureToTexture(copy);
}

void CommandRecorder::updateBuffer(const BufferUpdate &update)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->updateBuffer(update);
}

void CommandRecorder::memoryBarrier(const MemoryBarrierOptions &options)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->memoryBarrier(options);
}

void CommandRecorder::bufferMemoryBarrier(const BufferMemoryBarrierOptions &options)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->bufferMemoryBarrier(options);
}

void CommandRecorder::textureMemoryBarrier(const TextureMemoryBarrierOptions &options)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->textureMemoryBarrier(options);
}

void CommandRecorder::executeSecondaryCommandBuffer(const Handle<CommandBuffer_t> &secondary)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->executeSecondaryCommandBuffer(secondary);
}

void CommandRecorder::resolveTexture(const TextureResolve &resolve)
{
    if (ApiCommandRecorder *recorder = record())
        recorder->resolveTexture(resolve);
}

RenderPassCommandRecorder CommandRecorder::beginRenderPass(const RenderPassCommandRecorderOptions &options)
{
    if (!manager() || !m_handle.isValid())
        return {};
    return RenderPassCommandRecorder(m_api, m_device,
                                     manager()->createRenderPassCommandRecorder(m_device, m_handle, options));
}

CommandBuffer CommandRecorder::finish()
{
    ApiCommandRecorder *recorder = record();
    if (!recorder)
        return {};
    return CommandBuffer(m_api, m_device, recorder->finish());
}

} // namespace TbGpu
