#pragma once

#include <TbGpu/barrier_options.h>
#include <TbGpu/handle.h>
#include <TbGpu/transfer_commands.h>

namespace TbGpu {

class ApiCommandRecorder
{
public:
    virtual void begin() = 0;
    virtual void blitTexture(const TextureBlit &blit) = 0;
    virtual void clearBuffer(const BufferClear &clear) = 0;
    virtual void clearColorTexture(const ClearColorTexture &clear) = 0;
    virtual void clearDepthStencilTexture(const ClearDepthStencilTexture &clear) = 0;
    virtual void copyBuffer(const BufferCopy &copy) = 0;
    virtual void copyBufferToTexture(const BufferToTextureCopy &copy) = 0;
    virtual void copyTextureToBuffer(const TextureToBufferCopy &copy) = 0;
    virtual void copyTextureToTexture(const TextureToTextureCopy &copy) = 0;
    virtual void updateBuffer(const BufferUpdate &update) = 0;
    virtual void memoryBarrier(const MemoryBarrierOptions &options) = 0;
    virtual void bufferMemoryBarrier(const BufferMemoryBarrierOptions &options) = 0;
    virtual void textureMemoryBarrier(const TextureMemoryBarrierOptions &options) = 0;
    virtual void executeSecondaryCommandBuffer(const Handle<CommandBuffer_t> &secondary) = 0;
    virtual void resolveTexture(const TextureResolve &resolve) = 0;
    virtual Handle<CommandBuffer_t> finish() = 0;
};

} // namespace TbGpu
