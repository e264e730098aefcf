#pragma once

#include <TbGpu/barrier_options.h>
#include <TbGpu/command_buffer.h>
#include <TbGpu/command_recorder_options.h>
#include <TbGpu/device_object.h>
#include <TbGpu/render_pass_command_recorder.h>
#include <TbGpu/render_pass_command_recorder_options.h>
#include <TbGpu/transfer_commands.h>

namespace TbGpu {

// Records commands into a primary or secondary command buffer of one queue's family. Recording begins when the
// recorder is made and ends with finish(), which hands the command buffer over for submission; the recorder's
// passes must be ended before that.
class CommandRecorder : public DeviceObject<CommandRecorder_t>
{
public:
    CommandRecorder() = default;
    CommandRecorder(GraphicsApi *api, const Handle<Device_t> &device, const Handle<CommandRecorder_t> &recorder,
                    CommandBufferLevel level);

    CommandBufferLevel level() const noexcept { return m_level; }

    void blitTexture(const TextureBlit &blit);
    void clearBuffer(const BufferClear &clear);
    void clearColorTexture(const ClearColorTexture &clear);
    void clearDepthStencilTexture(const ClearDepthStencilTexture &clear);
    void copyBuffer(const BufferCopy &copy);
    void copyBufferToTexture(const BufferToTextureCopy &copy);
    void copyTextureToBuffer(const TextureToBufferCopy &copy);
    void copyTextureToTexture(const TextureToTextureCopy &copy);
    void updateBuffer(const BufferUpdate &update);
    void memoryBarrier(const MemoryBarrierOptions &options);
    void bufferMemoryBarrier(const BufferMemoryBarrierOptions &options);
    void textureMemoryBarrier(const TextureMemoryBarrierOptions &options);
    void executeSecondaryCommandBuffer(const Handle<CommandBuffer_t> &secondary);
    void resolveTexture(const TextureResolve &resolve);

    RenderPassCommandRecorder beginRenderPass(const RenderPassCommandRecorderOptions &options);
    CommandBuffer finish();

private:
    CommandBufferLevel m_level{ CommandBufferLevel::Primary };
};

} // namespace TbGpu
