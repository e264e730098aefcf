#pragma once

#include <TbGpu/enums.h>

#include <cstdint>

namespace Orvane::Render {

// The storage unit of a format: a block of width x height texels taking `bytes` bytes (1 x 1 for formats that are
// not block-compressed).
struct TexelBlock {
    uint32_t width{ 1 };
    uint32_t height{ 1 };
    uint32_t bytes{ 1 };
};

TexelBlock texelBlock(TbGpu::Format format);

// Bytes of one level of `width` x `height` x `depth` texels, counted in whole blocks.
uint64_t levelByteSize(TbGpu::Format format, uint32_t width, uint32_t height, uint32_t depth);

} // namespace Orvane::Render
