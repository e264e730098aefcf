#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Orvane {

// One mip level of one face of one array layer, located inside DdsImage::data.
struct DdsSubresource {
    uint32_t layer = 0;
    uint32_t face = 0;
    uint32_t level = 0;
    uint32_t width = 0; // extent of this level in texels
    uint32_t height = 0;
    uint32_t depth = 0;
    uint64_t offset = 0; // byte offset into DdsImage::data
    uint64_t size = 0; // bytes of this level (whole blocks for block-compressed formats)
};

// A texture read from a DirectDraw Surface file.
//
// `data` holds every texel of the file, in the order DDS files (and most texture libraries) store it:
// layer by layer, within a layer face by face (+X, -X, +Y, -Y, +Z, -Z for cube maps), and within a face
// its mip chain from the largest level down. In other words the byte offset of (layer, face, level) is
// the sum of the sizes of all subresources before it in that order; `subresources` lists them in exactly
// this order with their offsets and sizes, so subresource(layer, face, level) is at index
// (layer * faces + face) * mipLevels + level. For a plain 2D texture (one layer, one face) this is simply
// level 0, level 1, ... back to back.
//
// Rows are tightly packed; block-compressed levels are stored as rows of 4x4 blocks. Files with 24-bit
// RGB texels, or 32-bit texels without an alpha mask, are expanded to 32-bit RGBA/BGRA with alpha 255 so
// that every format here is one Vulkan can sample directly.
struct DdsImage {
    TbGpu::Format format = TbGpu::Format::UNDEFINED; // never UNDEFINED after a successful read
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0; // 1 unless the file is a volume texture
    uint32_t mipLevels = 0; // at least 1
    uint32_t arrayLayers = 0; // at least 1; the number of cubes for cube map arrays
    uint32_t faces = 0; // 6 for cube maps, otherwise 1
    std::vector<uint8_t> data;
    std::vector<DdsSubresource> subresources;

    bool isCubeMap() const noexcept { return faces == 6; }
    bool isVolume() const noexcept { return depth > 1; }
    // True for one layer, one face, depth 1: the only kind a 2D texture accepts.
    bool isPlain2D() const noexcept { return arrayLayers == 1 && faces == 1 && depth == 1; }

    // The subresource of (layer, face, level); the arguments must be in range.
    const DdsSubresource &subresource(uint32_t layer, uint32_t face, uint32_t level) const;
};

// The outcome of reading a DDS file: the image, or the reason it was rejected.
struct DdsReadResult {
    std::optional<DdsImage> image;
    std::string error; // empty on success

    explicit operator bool() const noexcept { return image.has_value(); }
};

// Reads a DDS file held in memory. Every header field that leads to a size or an offset is checked
// against the length of `bytes` (with overflow-safe arithmetic) before anything is read, so a truncated,
// lying or garbage file is rejected with a reason and never read out of bounds. Bytes after the last
// subresource are ignored.
//
// Supported: the legacy header with FourCC DXT1, DXT3, DXT5, ATI1/BC4U/BC4S, ATI2/BC5U/BC5S and the
// Direct3D float codes 113 (RGBA16F) and 116 (RGBA32F); uncompressed 32-bit RGBA/BGRA, 24-bit RGB/BGR
// and 8-bit luminance by their masks; and the DX10 header with the DXGI formats RGBA8/BGRA8
// (UNORM and SRGB), BC1-BC7 (UNORM/SRGB, BC4/BC5 SNORM, BC6H), R16G16B16A16_FLOAT, R32G32B32A32_FLOAT,
// R32_FLOAT, R16_FLOAT, R8_UNORM and R8G8_UNORM. Mip chains, texture arrays, complete cube maps (and
// cube arrays) and volume textures are read; partial cube maps are rejected.
DdsReadResult readDdsImage(std::span<const uint8_t> bytes);

// Reads the whole file at `path` and parses it as above; a file that cannot be opened or read is an
// error too.
DdsReadResult readDdsFile(const std::filesystem::path &path);

} // namespace Orvane
