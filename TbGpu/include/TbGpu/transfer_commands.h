#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// Arguments of the copy, clear, blit and resolve commands of a command recorder. Handles must name live records.

// 16 bytes of clear colour, read as floats or as signed or unsigned integers according to the format.
union ColorClearValue {
    float float32[4];
    int32_t int32[4];
    uint32_t uint32[4];
};

struct Offset3D {
    int32_t x{ 0 };
    int32_t y{ 0 };
    int32_t z{ 0 };
};

struct TextureSubresourceLayers {
    TextureAspectFlags aspectMask{ TextureAspectFlagBits::ColorBit };
    uint32_t mipLevel{ 0 };
    uint32_t baseArrayLayer{ 0 };
    uint32_t layerCount{ 1 };
};

struct BufferCopy {
    Handle<Buffer_t> src;
    uint64_t srcOffset{ 0 };
    Handle<Buffer_t> dst;
    uint64_t dstOffset{ 0 };
    uint64_t byteSize{ 0 };
};

struct BufferUpdate {
    Handle<Buffer_t> dstBuffer;
    uint64_t dstOffset{ 0 };
    const void *data{ nullptr };
    uint64_t byteSize{ 0 }; // at most 65536 bytes, a multiple of 4
};

struct BufferClear {
    Handle<Buffer_t> dstBuffer;
    uint64_t dstOffset{ 0 };
    uint64_t byteSize{ 0 };
    uint32_t clearValue{ 0 }; // the word the range is filled with
};

struct ClearColorTexture {
    Handle<Texture_t> texture;
    TextureLayout layout{ TextureLayout::TransferDstOptimal };
    ColorClearValue clearValue{};
    std::vector<TextureSubresourceRange> ranges;
};

struct ClearDepthStencilTexture {
    Handle<Texture_t> texture;
    TextureLayout layout{ TextureLayout::TransferDstOptimal };
    float depthClearValue{ 1.0f };
    uint32_t stencilClearValue{ 0 };
    std::vector<TextureSubresourceRange> ranges;
};

struct BufferTextureCopyRegion {
    uint64_t bufferOffset{ 0 };
    uint32_t bufferRowLength{ 0 }; // 0: tightly packed
    uint32_t bufferTextureHeight{ 0 }; // 0: tightly packed
    TextureSubresourceLayers textureSubResource;
    Offset3D textureOffset;
    Extent3D textureExtent;
};

struct BufferToTextureCopy {
    Handle<Buffer_t> srcBuffer;
    Handle<Texture_t> dstTexture;
    TextureLayout dstImageLayout{ TextureLayout::TransferDstOptimal };
    std::vector<BufferTextureCopyRegion> regions;
};

struct TextureToBufferCopy {
    Handle<Texture_t> srcTexture;
    TextureLayout srcTextureLayout{ TextureLayout::TransferSrcOptimal };
    Handle<Buffer_t> dstBuffer;
    std::vector<BufferTextureCopyRegion> regions;
};

struct TextureCopyRegion {
    TextureSubresourceLayers srcSubresource;
    Offset3D srcOffset;
    TextureSubresourceLayers dstSubresource;
    Offset3D dstOffset;
    Extent3D extent;
};

struct TextureToTextureCopy {
    Handle<Texture_t> srcTexture;
    TextureLayout srcLayout{ TextureLayout::TransferSrcOptimal };
    Handle<Texture_t> dstTexture;
    TextureLayout dstLayout{ TextureLayout::TransferDstOptimal };
    std::vector<TextureCopyRegion> regions;
};

// Resolving a multisampled texture into a single-sampled one has the same shape as a copy.
struct TextureResolve {
    Handle<Texture_t> srcTexture;
    TextureLayout srcLayout{ TextureLayout::TransferSrcOptimal };
    Handle<Texture_t> dstTexture;
    TextureLayout dstLayout{ TextureLayout::TransferDstOptimal };
    std::vector<TextureCopyRegion> regions;
};

struct TextureBlitRegion {
    TextureSubresourceLayers srcSubresource;
    Offset3D srcOffsets[2];
    TextureSubresourceLayers dstSubresource;
    Offset3D dstOffsets[2];
};

struct TextureBlit {
    Handle<Texture_t> srcTexture;
    TextureLayout srcLayout{ TextureLayout::TransferSrcOptimal };
    Handle<Texture_t> dstTexture;
    TextureLayout dstLayout{ TextureLayout::TransferDstOptimal };
    std::vector<TextureBlitRegion> regions;
    FilterMode scalingFilter{ FilterMode::Linear };
};

} // namespace TbGpu
