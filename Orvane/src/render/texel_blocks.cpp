#include <Orvane/render/texel_blocks.h>

namespace Orvane::Render {

namespace {

uint32_t bytesPerTexel(uint32_t format)
{
    struct Range {
        uint32_t first;
        uint32_t last;
        uint32_t bytes;
    };
    // Vulkan's format numbers grouped by texel size.
    constexpr Range ranges[] = { { 1, 1, 1 },      { 2, 8, 2 },      { 9, 15, 1 },    { 16, 22, 2 },
                                 { 23, 36, 3 },    { 37, 69, 4 },    { 70, 76, 2 },   { 77, 83, 4 },
                                 { 84, 90, 6 },    { 91, 97, 8 },    { 98, 100, 4 },  { 101, 103, 8 },
                                 { 104, 106, 12 }, { 107, 109, 16 }, { 110, 112, 8 }, { 113, 115, 16 },
                                 { 116, 118, 24 }, { 119, 121, 32 }, { 122, 123, 4 }, { 124, 124, 2 },
                                 { 125, 126, 4 } };
    for (const Range &range : ranges) {
        if (format >= range.first && format <= range.last)
            return range.bytes;
    }
    return 1;
}

} // namespace

TexelBlock texelBlock(TbGpu::Format format)
{
    const auto value = static_cast<uint32_t>(format);
    // BC1 (131-134) and BC4 (139, 140) store 8 bytes per 4x4 block; BC2, BC3, BC5, BC6H and BC7 (135-146) 16.
    if (value >= 131 && value <= 146) {
        const bool eightBytes = value <= 134 || value == 139 || value == 140;
        return { 4, 4, eightBytes ? 8u : 16u };
    }
    return { 1, 1, bytesPerTexel(value) };
}

uint64_t levelByteSize(TbGpu::Format format, uint32_t width, uint32_t height, uint32_t depth)
{
    const TexelBlock block = texelBlock(format);
    const uint64_t columns = (uint64_t(width) + block.width - 1) / block.width;
    const uint64_t rows = (uint64_t(height) + block.height - 1) / block.height;
    return columns * rows * uint64_t(depth) * block.bytes;
}

} // namespace Orvane::Render
