#include <Orvane/assets/dds_image.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace Orvane {

namespace {

using TbGpu::Format;

// File layout: "DDS " magic, a 124-byte header (with a 32-byte pixel format inside), an optional
// 20-byte DX10 header when the pixel format's FourCC is "DX10", then the texel data.
constexpr uint32_t kMagic = 0x20534444; // "DDS "
constexpr uint64_t kMagicSize = 4;
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;
constexpr uint64_t kDx10HeaderSize = 20;

// Byte offsets of the header fields, counted from the start of the file.
constexpr uint64_t kOffHeaderSize = 4;
constexpr uint64_t kOffFlags = 8;
constexpr uint64_t kOffHeight = 12;
constexpr uint64_t kOffWidth = 16;
constexpr uint64_t kOffDepth = 24;
constexpr uint64_t kOffMipCount = 28;
constexpr uint64_t kOffPfSize = 76;
constexpr uint64_t kOffPfFlags = 80;
constexpr uint64_t kOffPfFourCC = 84;
constexpr uint64_t kOffPfBitCount = 88;
constexpr uint64_t kOffPfRedMask = 92;
constexpr uint64_t kOffPfGreenMask = 96;
constexpr uint64_t kOffPfBlueMask = 100;
constexpr uint64_t kOffPfAlphaMask = 104;
constexpr uint64_t kOffCaps2 = 112;
constexpr uint64_t kOffDx10 = kMagicSize + kHeaderSize;

constexpr uint32_t kFlagDepth = 0x800000;
constexpr uint32_t kPfAlphaPixels = 0x1;
constexpr uint32_t kPfFourCC = 0x4;
constexpr uint32_t kPfRgb = 0x40;
constexpr uint32_t kPfLuminance = 0x20000;
constexpr uint32_t kCaps2Cubemap = 0x200;
constexpr uint32_t kCaps2AllFaces = 0xFC00;
constexpr uint32_t kCaps2Volume = 0x200000;

constexpr uint32_t kDx10Dimension1D = 2;
constexpr uint32_t kDx10Dimension2D = 3;
constexpr uint32_t kDx10Dimension3D = 4;
constexpr uint32_t kDx10MiscTextureCube = 0x4;

// Limits far above any texture a GPU accepts; they keep absurd headers from reaching the size arithmetic.
constexpr uint32_t kMaxDimension = 32768;
constexpr uint32_t kMaxArrayLayers = 2048;

constexpr uint32_t fourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// How the file's texels become the image's texels.
enum class Conversion {
    Copy, // bytes are used as they are
    ExpandRgb24, // 3-byte texels gain a fourth byte of 255
    OpaqueAlpha32 // 4-byte texels whose fourth byte is unused: it becomes 255
};

struct FormatInfo {
    Format format = Format::UNDEFINED;
    uint32_t blockBytes = 0; // bytes per 4x4 block (compressed) or per texel in the image
    bool compressed = false;
    uint32_t sourceBlockBytes = 0; // bytes per texel in the file when it differs (conversion)
    Conversion conversion = Conversion::Copy;

    uint32_t fileBlockBytes() const { return sourceBlockBytes ? sourceBlockBytes : blockBytes; }
};

constexpr FormatInfo plain(Format format, uint32_t bytes)
{
    return { format, bytes, false, 0, Conversion::Copy };
}
constexpr FormatInfo blocks(Format format, uint32_t bytes)
{
    return { format, bytes, true, 0, Conversion::Copy };
}

struct DxgiEntry {
    uint32_t dxgi;
    FormatInfo info;
};

// The comments give the DXGI names of the codes.
constexpr std::array kDxgiFormats{
    DxgiEntry{ 2, plain(Format::R32G32B32A32_SFLOAT, 16) }, // R32G32B32A32_FLOAT
    DxgiEntry{ 10, plain(Format::R16G16B16A16_SFLOAT, 8) }, // R16G16B16A16_FLOAT
    DxgiEntry{ 28, plain(Format::R8G8B8A8_UNORM, 4) }, // R8G8B8A8_UNORM
    DxgiEntry{ 29, plain(Format::R8G8B8A8_SRGB, 4) }, // R8G8B8A8_UNORM_SRGB
    DxgiEntry{ 41, plain(Format::R32_SFLOAT, 4) }, // R32_FLOAT
    DxgiEntry{ 49, plain(Format::R8G8_UNORM, 2) }, // R8G8_UNORM
    DxgiEntry{ 54, plain(Format::R16_SFLOAT, 2) }, // R16_FLOAT
    DxgiEntry{ 61, plain(Format::R8_UNORM, 1) }, // R8_UNORM
    DxgiEntry{ 71, blocks(Format::BC1_RGBA_UNORM_BLOCK, 8) }, // BC1_UNORM
    DxgiEntry{ 72, blocks(Format::BC1_RGBA_SRGB_BLOCK, 8) }, // BC1_UNORM_SRGB
    DxgiEntry{ 74, blocks(Format::BC2_UNORM_BLOCK, 16) }, // BC2_UNORM
    DxgiEntry{ 75, blocks(Format::BC2_SRGB_BLOCK, 16) }, // BC2_UNORM_SRGB
    DxgiEntry{ 77, blocks(Format::BC3_UNORM_BLOCK, 16) }, // BC3_UNORM
    DxgiEntry{ 78, blocks(Format::BC3_SRGB_BLOCK, 16) }, // BC3_UNORM_SRGB
    DxgiEntry{ 80, blocks(Format::BC4_UNORM_BLOCK, 8) }, // BC4_UNORM
    DxgiEntry{ 81, blocks(Format::BC4_SNORM_BLOCK, 8) }, // BC4_SNORM
    DxgiEntry{ 83, blocks(Format::BC5_UNORM_BLOCK, 16) }, // BC5_UNORM
    DxgiEntry{ 84, blocks(Format::BC5_SNORM_BLOCK, 16) }, // BC5_SNORM
    DxgiEntry{ 87, plain(Format::B8G8R8A8_UNORM, 4) }, // B8G8R8A8_UNORM
    DxgiEntry{ 91, plain(Format::B8G8R8A8_SRGB, 4) }, // B8G8R8A8_UNORM_SRGB
    DxgiEntry{ 95, blocks(Format::BC6H_UFLOAT_BLOCK, 16) }, // BC6H_UF16
    DxgiEntry{ 96, blocks(Format::BC6H_SFLOAT_BLOCK, 16) }, // BC6H_SF16
    DxgiEntry{ 98, blocks(Format::BC7_UNORM_BLOCK, 16) }, // BC7_UNORM
    DxgiEntry{ 99, blocks(Format::BC7_SRGB_BLOCK, 16) }, // BC7_UNORM_SRGB
};

struct FourCCEntry {
    uint32_t code;
    FormatInfo info;
};

constexpr std::array kFourCCFormats{
    FourCCEntry{ fourCC('D', 'X', 'T', '1'), blocks(Format::BC1_RGBA_UNORM_BLOCK, 8) },
    FourCCEntry{ fourCC('D', 'X', 'T', '3'), blocks(Format::BC2_UNORM_BLOCK, 16) },
    FourCCEntry{ fourCC('D', 'X', 'T', '5'), blocks(Format::BC3_UNORM_BLOCK, 16) },
    FourCCEntry{ fourCC('A', 'T', 'I', '1'), blocks(Format::BC4_UNORM_BLOCK, 8) },
    FourCCEntry{ fourCC('B', 'C', '4', 'U'), blocks(Format::BC4_UNORM_BLOCK, 8) },
    FourCCEntry{ fourCC('B', 'C', '4', 'S'), blocks(Format::BC4_SNORM_BLOCK, 8) },
    FourCCEntry{ fourCC('A', 'T', 'I', '2'), blocks(Format::BC5_UNORM_BLOCK, 16) },
    FourCCEntry{ fourCC('B', 'C', '5', 'U'), blocks(Format::BC5_UNORM_BLOCK, 16) },
    FourCCEntry{ fourCC('B', 'C', '5', 'S'), blocks(Format::BC5_SNORM_BLOCK, 16) },
    FourCCEntry{ 113, plain(Format::R16G16B16A16_SFLOAT, 8) }, // D3DFMT_A16B16G16R16F
    FourCCEntry{ 116, plain(Format::R32G32B32A32_SFLOAT, 16) }, // D3DFMT_A32B32G32R32F
};

// What the headers describe: the texel format and the shape of the texture, before any of it is checked.
struct Header {
    FormatInfo texelFormat;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    uint32_t layers = 1;
    uint32_t faces = 1;
    uint32_t mipLevels = 1;
    uint64_t dataOffset = kMagicSize + kHeaderSize;
};

// Where the subresources lie in the image, and how many bytes they take in the file and in the image.
struct Layout {
    std::vector<DdsSubresource> subresources;
    uint64_t fileBytes = 0;
    uint64_t imageBytes = 0;
};

uint32_t readU32(std::span<const uint8_t> bytes, uint64_t offset)
{
    // Callers have checked offset + 4 <= bytes.size().
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
            uint32_t(bytes[offset + 3]) << 24;
}

bool checkedMul(uint64_t a, uint64_t b, uint64_t &result)
{
    return !__builtin_mul_overflow(a, b, &result);
}
bool checkedAdd(uint64_t a, uint64_t b, uint64_t &result)
{
    return !__builtin_add_overflow(a, b, &result);
}

std::string describeFourCC(uint32_t code)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = char((code >> (8 * i)) & 0xFF);
        if (c < 0x20 || c > 0x7E)
            return std::to_string(code);
        text.push_back(c);
    }
    return "'" + text + "'";
}

// The texel format of a legacy header (no DX10 extension), or an error text.
std::optional<FormatInfo> legacyFormat(std::span<const uint8_t> bytes, std::string &error)
{
    const uint32_t flags = readU32(bytes, kOffPfFlags);
    if (flags & kPfFourCC) {
        const uint32_t code = readU32(bytes, kOffPfFourCC);
        for (const FourCCEntry &entry : kFourCCFormats)
            if (entry.code == code)
                return entry.info;
        error = "unsupported FourCC " + describeFourCC(code);
        return std::nullopt;
    }

    const uint32_t bitCount = readU32(bytes, kOffPfBitCount);
    const uint32_t r = readU32(bytes, kOffPfRedMask);
    const uint32_t g = readU32(bytes, kOffPfGreenMask);
    const uint32_t b = readU32(bytes, kOffPfBlueMask);
    const uint32_t a = readU32(bytes, kOffPfAlphaMask);

    if (flags & kPfRgb) {
        const bool rgbOrder = r == 0xFF && g == 0xFF00 && b == 0xFF0000;
        const bool bgrOrder = r == 0xFF0000 && g == 0xFF00 && b == 0xFF;
        const Format rgba = rgbOrder ? Format::R8G8B8A8_UNORM : Format::B8G8R8A8_UNORM;
        if ((rgbOrder || bgrOrder) && bitCount == 32) {
            if ((flags & kPfAlphaPixels) && a == 0xFF000000)
                return plain(rgba, 4);
            if (a == 0 || a == 0xFF000000)
                return FormatInfo{ rgba, 4, false, 0, Conversion::OpaqueAlpha32 };
        }
        if ((rgbOrder || bgrOrder) && bitCount == 24)
            return FormatInfo{ rgba, 4, false, 3, Conversion::ExpandRgb24 };
    } else if ((flags & kPfLuminance) && bitCount == 8 && r == 0xFF) {
        return plain(Format::R8_UNORM, 1);
    }

    error = "unsupported pixel format (flags " + std::to_string(flags) + ", " + std::to_string(bitCount) +
            " bits per texel)";
    return std::nullopt;
}

uint32_t levelExtent(uint32_t base, uint32_t level)
{
    return std::max<uint32_t>(1u, base >> level);
}

// Bytes of one level in the given texel size; cannot overflow within the dimension limits, but checked
// all the same.
bool levelBytes(const FormatInfo &format, uint32_t blockBytes, uint32_t w, uint32_t h, uint32_t d, uint64_t &size)
{
    const uint64_t columns = format.compressed ? (uint64_t(w) + 3) / 4 : w;
    const uint64_t rows = format.compressed ? (uint64_t(h) + 3) / 4 : h;
    uint64_t texels = 0;
    return checkedMul(columns, rows, texels) && checkedMul(texels, d, texels) && checkedMul(texels, blockBytes, size);
}

void convertTexels(Conversion conversion, const uint8_t *source, uint8_t *destination, uint64_t texels)
{
    for (uint64_t i = 0; i < texels; ++i) {
        if (conversion == Conversion::ExpandRgb24) {
            std::memcpy(destination + 4 * i, source + 3 * i, 3);
        } else {
            std::memcpy(destination + 4 * i, source + 4 * i, 3);
        }
        destination[4 * i + 3] = 0xFF;
    }
}

// Reads the legacy header's description of the texture.
std::optional<Header> parseLegacyHeader(std::span<const uint8_t> bytes, std::string &error)
{
    std::optional<FormatInfo> format = legacyFormat(bytes, error);
    if (!format)
        return std::nullopt;
    Header header{ *format, readU32(bytes, kOffWidth), readU32(bytes, kOffHeight) };
    const uint32_t caps2 = readU32(bytes, kOffCaps2);
    if (caps2 & kCaps2Cubemap) {
        if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces) {
            error = "partial cube maps are not supported";
            return std::nullopt;
        }
        header.faces = 6;
    }
    if ((caps2 & kCaps2Volume) && (readU32(bytes, kOffFlags) & kFlagDepth)) {
        if (header.faces != 1) {
            error = "a volume texture cannot be a cube map";
            return std::nullopt;
        }
        header.depth = readU32(bytes, kOffDepth);
    }
    return header;
}

// Reads the DX10 extension's description of the texture; the legacy header still gives the extent.
std::optional<Header> parseDx10Header(std::span<const uint8_t> bytes, std::string &error)
{
    if (bytes.size() < kOffDx10 + kDx10HeaderSize) {
        error = "file too short for the DX10 header";
        return std::nullopt;
    }
    const uint32_t dxgi = readU32(bytes, kOffDx10);
    const uint32_t dimension = readU32(bytes, kOffDx10 + 4);
    const uint32_t misc = readU32(bytes, kOffDx10 + 8);
    const auto entry = std::find_if(kDxgiFormats.begin(), kDxgiFormats.end(),
                                    [dxgi](const DxgiEntry &candidate) { return candidate.dxgi == dxgi; });
    if (entry == kDxgiFormats.end()) {
        error = "unsupported DXGI format " + std::to_string(dxgi);
        return std::nullopt;
    }
    Header header{ entry->info, readU32(bytes, kOffWidth), readU32(bytes, kOffHeight) };
    header.layers = readU32(bytes, kOffDx10 + 12);
    header.dataOffset += kDx10HeaderSize;

    if (dimension == kDx10Dimension1D) {
        header.height = 1;
    } else if (dimension == kDx10Dimension3D) {
        header.depth = readU32(bytes, kOffDepth);
        if (misc & kDx10MiscTextureCube) {
            error = "a volume texture cannot be a cube map";
            return std::nullopt;
        }
        if (header.layers != 1) {
            error = "volume texture arrays are not supported";
            return std::nullopt;
        }
    } else if (dimension != kDx10Dimension2D) {
        error = "unsupported resource dimension " + std::to_string(dimension);
        return std::nullopt;
    }
    if (misc & kDx10MiscTextureCube)
        header.faces = 6;
    return header;
}

// Checks the fixed part of the file and reads whichever header describes the texture.
std::optional<Header> parseHeader(std::span<const uint8_t> bytes, std::string &error)
{
    if (bytes.empty())
        error = "file is empty";
    else if (bytes.size() < kMagicSize || readU32(bytes, 0) != kMagic)
        error = "not a DDS file (missing \"DDS \" magic)";
    else if (bytes.size() < kMagicSize + kHeaderSize)
        error = "file too short for the DDS header";
    else if (readU32(bytes, kOffHeaderSize) != kHeaderSize)
        error = "invalid header size " + std::to_string(readU32(bytes, kOffHeaderSize));
    else if (readU32(bytes, kOffPfSize) != kPixelFormatSize)
        error = "invalid pixel format size " + std::to_string(readU32(bytes, kOffPfSize));
    if (!error.empty())
        return std::nullopt;

    const bool hasDx10 =
            (readU32(bytes, kOffPfFlags) & kPfFourCC) && readU32(bytes, kOffPfFourCC) == fourCC('D', 'X', '1', '0');
    std::optional<Header> header = hasDx10 ? parseDx10Header(bytes, error) : parseLegacyHeader(bytes, error);
    // Some writers leave the mip count at 0 for a single level.
    if (header)
        header->mipLevels = std::max<uint32_t>(1u, readU32(bytes, kOffMipCount));
    return header;
}

std::string extentText(const Header &header)
{
    return std::to_string(header.width) + "x" + std::to_string(header.height) + "x" + std::to_string(header.depth);
}

// Rejects shapes no texture has, and any so large that the size arithmetic could get near overflowing.
bool validate(const Header &header, std::string &error)
{
    const uint32_t largest = std::max({ header.width, header.height, header.depth });
    uint32_t fullChain = 1;
    for (uint32_t extent = largest; extent > 1; extent >>= 1)
        ++fullChain;

    if (header.width == 0 || header.height == 0 || header.depth == 0)
        error = "zero extent " + extentText(header);
    else if (largest > kMaxDimension)
        error = "extent " + extentText(header) + " exceeds the limit of " + std::to_string(kMaxDimension);
    else if (header.layers == 0 || header.layers > kMaxArrayLayers)
        error = "invalid array size " + std::to_string(header.layers);
    else if (header.faces == 6 && header.width != header.height)
        error = "cube map faces are not square";
    else if (header.mipLevels > fullChain)
        error = "mip count " + std::to_string(header.mipLevels) + " exceeds the " + std::to_string(fullChain) +
                " levels of the extent";
    return error.empty();
}

// Sizes every subresource and checks that the file holds them all, before anything is allocated for the
// texels. Every face of every layer holds one mip chain of the same sizes.
std::optional<Layout> layOutSubresources(const Header &header, uint64_t availableBytes, std::string &error)
{
    const FormatInfo &format = header.texelFormat;
    std::vector<DdsSubresource> chain;
    uint64_t chainFileBytes = 0;
    for (uint32_t level = 0; level < header.mipLevels; ++level) {
        DdsSubresource sub{ 0,
                            0,
                            level,
                            levelExtent(header.width, level),
                            levelExtent(header.height, level),
                            levelExtent(header.depth, level) };
        uint64_t fileSize = 0;
        if (!levelBytes(format, format.blockBytes, sub.width, sub.height, sub.depth, sub.size) ||
            !levelBytes(format, format.fileBlockBytes(), sub.width, sub.height, sub.depth, fileSize) ||
            !checkedAdd(chainFileBytes, fileSize, chainFileBytes)) {
            error = "texture size overflows";
            return std::nullopt;
        }
        chain.push_back(sub);
    }

    Layout layout;
    const uint64_t chains = uint64_t(header.layers) * header.faces;
    if (!checkedMul(chainFileBytes, chains, layout.fileBytes)) {
        error = "texture size overflows";
        return std::nullopt;
    }
    if (layout.fileBytes > availableBytes) {
        error = "pixel data truncated: " + std::to_string(layout.fileBytes) + " bytes expected, " +
                std::to_string(availableBytes) + " present";
        return std::nullopt;
    }

    // An image is at most 4/3 of its file's texels, which are in memory: its offsets cannot overflow.
    layout.subresources.reserve(std::size_t(chains) * header.mipLevels);
    for (uint32_t layer = 0; layer < header.layers; ++layer) {
        for (uint32_t face = 0; face < header.faces; ++face) {
            for (DdsSubresource sub : chain) {
                sub.layer = layer;
                sub.face = face;
                sub.offset = layout.imageBytes;
                layout.imageBytes += sub.size;
                layout.subresources.push_back(sub);
            }
        }
    }
    return layout;
}

// The image's texels from the file's, converted where the format asks for it.
std::vector<uint8_t> copyTexels(const FormatInfo &format, const uint8_t *source, const Layout &layout)
{
    if (format.conversion == Conversion::Copy)
        return std::vector<uint8_t>(source, source + layout.fileBytes);
    std::vector<uint8_t> texels(layout.imageBytes);
    convertTexels(format.conversion, source, texels.data(), layout.imageBytes / 4);
    return texels;
}

DdsReadResult failure(std::string reason)
{
    return { std::nullopt, std::move(reason) };
}

} // namespace

const DdsSubresource &DdsImage::subresource(uint32_t layer, uint32_t face, uint32_t level) const
{
    return subresources.at((std::size_t(layer) * faces + face) * mipLevels + level);
}

DdsReadResult readDdsImage(std::span<const uint8_t> bytes)
{
    std::string error;
    const std::optional<Header> header = parseHeader(bytes, error);
    if (!header || !validate(*header, error))
        return failure(std::move(error));
    std::optional<Layout> layout = layOutSubresources(*header, bytes.size() - header->dataOffset, error);
    if (!layout)
        return failure(std::move(error));

    DdsImage image;
    image.format = header->texelFormat.format;
    image.width = header->width;
    image.height = header->height;
    image.depth = header->depth;
    image.mipLevels = header->mipLevels;
    image.arrayLayers = header->layers;
    image.faces = header->faces;
    image.data = copyTexels(header->texelFormat, bytes.data() + header->dataOffset, *layout);
    image.subresources = std::move(layout->subresources);
    return { std::move(image), {} };
}

DdsReadResult readDdsFile(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return failure("cannot open " + path.string());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return failure("cannot read " + path.string());
    return readDdsImage(bytes);
}

} // namespace Orvane
