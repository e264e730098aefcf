#include <Orvane/assets/DdsImage.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace Orvane {

namespace {

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

// VkFormat values used here.
enum VkFormatValue : uint32_t {
    kR8Unorm = 9,
    kR8G8Unorm = 16,
    kR8G8B8A8Unorm = 37,
    kR8G8B8A8Srgb = 43,
    kB8G8R8A8Unorm = 44,
    kB8G8R8A8Srgb = 50,
    kR16Sfloat = 76,
    kR16G16B16A16Sfloat = 97,
    kR32Sfloat = 100,
    kR32G32B32A32Sfloat = 109,
    kBc1RgbaUnorm = 133,
    kBc1RgbaSrgb = 134,
    kBc2Unorm = 135,
    kBc2Srgb = 136,
    kBc3Unorm = 137,
    kBc3Srgb = 138,
    kBc4Unorm = 139,
    kBc4Snorm = 140,
    kBc5Unorm = 141,
    kBc5Snorm = 142,
    kBc6hUfloat = 143,
    kBc6hSfloat = 144,
    kBc7Unorm = 145,
    kBc7Srgb = 146,
};

// How the file's texels become the image's texels.
enum class Conversion {
    Copy,         // bytes are used as they are
    ExpandRgb24,  // 3-byte texels gain a fourth byte of 255
    OpaqueAlpha32 // 4-byte texels whose fourth byte is unused: it becomes 255
};

struct FormatInfo {
    uint32_t vkFormat = 0;
    uint32_t blockBytes = 0;      // bytes per 4x4 block (compressed) or per texel in the image
    bool compressed = false;
    uint32_t sourceBlockBytes = 0; // bytes per texel in the file when it differs (conversion)
    Conversion conversion = Conversion::Copy;

    uint32_t fileBlockBytes() const { return sourceBlockBytes ? sourceBlockBytes : blockBytes; }
};

constexpr FormatInfo plain(uint32_t vk, uint32_t bytes) { return { vk, bytes, false, 0, Conversion::Copy }; }
constexpr FormatInfo blocks(uint32_t vk, uint32_t bytes) { return { vk, bytes, true, 0, Conversion::Copy }; }

struct DxgiEntry {
    uint32_t dxgi;
    FormatInfo info;
};

constexpr std::array kDxgiFormats{
    DxgiEntry{ 2, plain(kR32G32B32A32Sfloat, 16) },  // R32G32B32A32_FLOAT
    DxgiEntry{ 10, plain(kR16G16B16A16Sfloat, 8) },  // R16G16B16A16_FLOAT
    DxgiEntry{ 28, plain(kR8G8B8A8Unorm, 4) },       // R8G8B8A8_UNORM
    DxgiEntry{ 29, plain(kR8G8B8A8Srgb, 4) },        // R8G8B8A8_UNORM_SRGB
    DxgiEntry{ 41, plain(kR32Sfloat, 4) },           // R32_FLOAT
    DxgiEntry{ 49, plain(kR8G8Unorm, 2) },           // R8G8_UNORM
    DxgiEntry{ 54, plain(kR16Sfloat, 2) },           // R16_FLOAT
    DxgiEntry{ 61, plain(kR8Unorm, 1) },             // R8_UNORM
    DxgiEntry{ 71, blocks(kBc1RgbaUnorm, 8) },       // BC1_UNORM
    DxgiEntry{ 72, blocks(kBc1RgbaSrgb, 8) },        // BC1_UNORM_SRGB
    DxgiEntry{ 74, blocks(kBc2Unorm, 16) },          // BC2_UNORM
    DxgiEntry{ 75, blocks(kBc2Srgb, 16) },           // BC2_UNORM_SRGB
    DxgiEntry{ 77, blocks(kBc3Unorm, 16) },          // BC3_UNORM
    DxgiEntry{ 78, blocks(kBc3Srgb, 16) },           // BC3_UNORM_SRGB
    DxgiEntry{ 80, blocks(kBc4Unorm, 8) },           // BC4_UNORM
    DxgiEntry{ 81, blocks(kBc4Snorm, 8) },           // BC4_SNORM
    DxgiEntry{ 83, blocks(kBc5Unorm, 16) },          // BC5_UNORM
    DxgiEntry{ 84, blocks(kBc5Snorm, 16) },          // BC5_SNORM
    DxgiEntry{ 87, plain(kB8G8R8A8Unorm, 4) },       // B8G8R8A8_UNORM
    DxgiEntry{ 91, plain(kB8G8R8A8Srgb, 4) },        // B8G8R8A8_UNORM_SRGB
    DxgiEntry{ 95, blocks(kBc6hUfloat, 16) },        // BC6H_UF16
    DxgiEntry{ 96, blocks(kBc6hSfloat, 16) },        // BC6H_SF16
    DxgiEntry{ 98, blocks(kBc7Unorm, 16) },          // BC7_UNORM
    DxgiEntry{ 99, blocks(kBc7Srgb, 16) },           // BC7_UNORM_SRGB
};

struct FourCCEntry {
    uint32_t code;
    FormatInfo info;
};

constexpr std::array kFourCCFormats{
    FourCCEntry{ fourCC('D', 'X', 'T', '1'), blocks(kBc1RgbaUnorm, 8) },
    FourCCEntry{ fourCC('D', 'X', 'T', '3'), blocks(kBc2Unorm, 16) },
    FourCCEntry{ fourCC('D', 'X', 'T', '5'), blocks(kBc3Unorm, 16) },
    FourCCEntry{ fourCC('A', 'T', 'I', '1'), blocks(kBc4Unorm, 8) },
    FourCCEntry{ fourCC('B', 'C', '4', 'U'), blocks(kBc4Unorm, 8) },
    FourCCEntry{ fourCC('B', 'C', '4', 'S'), blocks(kBc4Snorm, 8) },
    FourCCEntry{ fourCC('A', 'T', 'I', '2'), blocks(kBc5Unorm, 16) },
    FourCCEntry{ fourCC('B', 'C', '5', 'U'), blocks(kBc5Unorm, 16) },
    FourCCEntry{ fourCC('B', 'C', '5', 'S'), blocks(kBc5Snorm, 16) },
    FourCCEntry{ 113, plain(kR16G16B16A16Sfloat, 8) },  // D3DFMT_A16B16G16R16F
    FourCCEntry{ 116, plain(kR32G32B32A32Sfloat, 16) }, // D3DFMT_A32B32G32R32F
};

uint32_t readU32(std::span<const uint8_t> bytes, uint64_t offset)
{
    // Callers have checked offset + 4 <= bytes.size().
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
           uint32_t(bytes[offset + 3]) << 24;
}

bool checkedMul(uint64_t a, uint64_t b, uint64_t &result) { return !__builtin_mul_overflow(a, b, &result); }
bool checkedAdd(uint64_t a, uint64_t b, uint64_t &result) { return !__builtin_add_overflow(a, b, &result); }

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

DdsReadResult failure(std::string reason) { return { std::nullopt, std::move(reason) }; }

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
        if ((rgbOrder || bgrOrder) && bitCount == 32) {
            const uint32_t vk = rgbOrder ? kR8G8B8A8Unorm : kB8G8R8A8Unorm;
            if ((flags & kPfAlphaPixels) && a == 0xFF000000)
                return plain(vk, 4);
            if (a == 0 || a == 0xFF000000)
                return FormatInfo{ vk, 4, false, 0, Conversion::OpaqueAlpha32 };
        }
        if ((rgbOrder || bgrOrder) && bitCount == 24)
            return FormatInfo{ rgbOrder ? kR8G8B8A8Unorm : kB8G8R8A8Unorm, 4, false, 3, Conversion::ExpandRgb24 };
    } else if ((flags & kPfLuminance) && bitCount == 8 && r == 0xFF) {
        return plain(kR8Unorm, 1);
    }

    error = "unsupported pixel format (flags " + std::to_string(flags) + ", " + std::to_string(bitCount) +
            " bits per texel)";
    return std::nullopt;
}

uint32_t levelExtent(uint32_t base, uint32_t level) { return std::max<uint32_t>(1u, base >> level); }

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

} // namespace

const DdsSubresource &DdsImage::subresource(uint32_t layer, uint32_t face, uint32_t level) const
{
    return subresources.at((std::size_t(layer) * faces + face) * mipLevels + level);
}

DdsReadResult readDdsImage(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return failure("file is empty");
    if (bytes.size() < kMagicSize || readU32(bytes, 0) != kMagic)
        return failure("not a DDS file (missing \"DDS \" magic)");
    if (bytes.size() < kMagicSize + kHeaderSize)
        return failure("file too short for the DDS header");
    if (readU32(bytes, kOffHeaderSize) != kHeaderSize)
        return failure("invalid header size " + std::to_string(readU32(bytes, kOffHeaderSize)));
    if (readU32(bytes, kOffPfSize) != kPixelFormatSize)
        return failure("invalid pixel format size " + std::to_string(readU32(bytes, kOffPfSize)));

    const uint32_t headerFlags = readU32(bytes, kOffFlags);
    const uint32_t caps2 = readU32(bytes, kOffCaps2);
    uint32_t width = readU32(bytes, kOffWidth);
    uint32_t height = readU32(bytes, kOffHeight);
    uint32_t depth = 1;
    uint32_t layers = 1;
    uint32_t faces = 1;
    uint64_t dataOffset = kMagicSize + kHeaderSize;

    std::optional<FormatInfo> format;
    std::string error;
    const bool hasDx10 =
        (readU32(bytes, kOffPfFlags) & kPfFourCC) && readU32(bytes, kOffPfFourCC) == fourCC('D', 'X', '1', '0');
    if (hasDx10) {
        if (bytes.size() < kOffDx10 + kDx10HeaderSize)
            return failure("file too short for the DX10 header");
        const uint32_t dxgi = readU32(bytes, kOffDx10);
        const uint32_t dimension = readU32(bytes, kOffDx10 + 4);
        const uint32_t misc = readU32(bytes, kOffDx10 + 8);
        layers = readU32(bytes, kOffDx10 + 12);
        dataOffset += kDx10HeaderSize;

        for (const DxgiEntry &entry : kDxgiFormats)
            if (entry.dxgi == dxgi)
                format = entry.info;
        if (!format)
            return failure("unsupported DXGI format " + std::to_string(dxgi));

        if (dimension == kDx10Dimension1D) {
            height = 1;
        } else if (dimension == kDx10Dimension3D) {
            depth = readU32(bytes, kOffDepth);
            if (misc & kDx10MiscTextureCube)
                return failure("a volume texture cannot be a cube map");
            if (layers != 1)
                return failure("volume texture arrays are not supported");
        } else if (dimension != kDx10Dimension2D) {
            return failure("unsupported resource dimension " + std::to_string(dimension));
        }
        if (misc & kDx10MiscTextureCube)
            faces = 6;
    } else {
        format = legacyFormat(bytes, error);
        if (!format)
            return failure(error);
        if (caps2 & kCaps2Cubemap) {
            if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces)
                return failure("partial cube maps are not supported");
            faces = 6;
        }
        if ((caps2 & kCaps2Volume) && (headerFlags & kFlagDepth)) {
            if (faces != 1)
                return failure("a volume texture cannot be a cube map");
            depth = readU32(bytes, kOffDepth);
        }
    }

    if (width == 0 || height == 0 || depth == 0)
        return failure("zero extent " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                       std::to_string(depth));
    if (width > kMaxDimension || height > kMaxDimension || depth > kMaxDimension)
        return failure("extent " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                       std::to_string(depth) + " exceeds the limit of " + std::to_string(kMaxDimension));
    if (layers == 0 || layers > kMaxArrayLayers)
        return failure("invalid array size " + std::to_string(layers));
    if (faces == 6 && width != height)
        return failure("cube map faces are not square");

    // Some writers leave the mip count at 0 for a single level.
    const uint32_t mipLevels = std::max<uint32_t>(1u, readU32(bytes, kOffMipCount));
    uint32_t fullChain = 1;
    for (uint32_t largest = std::max({ width, height, depth }); largest > 1; largest >>= 1)
        ++fullChain;
    if (mipLevels > fullChain)
        return failure("mip count " + std::to_string(mipLevels) + " exceeds the " + std::to_string(fullChain) +
                       " levels of the extent");

    // Size everything and check that the file holds it before allocating or touching any texel.
    uint64_t sourceTotal = 0;
    uint64_t imageTotal = 0;
    for (uint32_t level = 0; level < mipLevels; ++level) {
        const uint32_t w = levelExtent(width, level);
        const uint32_t h = levelExtent(height, level);
        const uint32_t d = levelExtent(depth, level);
        uint64_t imageSize = 0;
        uint64_t sourceSize = 0;
        if (!levelBytes(*format, format->blockBytes, w, h, d, imageSize) ||
            !levelBytes(*format, format->fileBlockBytes(), w, h, d, sourceSize) ||
            !checkedAdd(imageTotal, imageSize, imageTotal) || !checkedAdd(sourceTotal, sourceSize, sourceTotal))
            return failure("texture size overflows");
    }
    // So far one mip chain; every face of every layer holds one.
    const uint64_t chains = uint64_t(layers) * faces;
    if (!checkedMul(sourceTotal, chains, sourceTotal) || !checkedMul(imageTotal, chains, imageTotal))
        return failure("texture size overflows");
    const uint64_t available = bytes.size() - dataOffset;
    if (sourceTotal > available)
        return failure("pixel data truncated: " + std::to_string(sourceTotal) + " bytes expected, " +
                       std::to_string(available) + " present");

    DdsImage image;
    image.format = format->vkFormat;
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.mipLevels = mipLevels;
    image.arrayLayers = layers;
    image.faces = faces;
    image.subresources.reserve(std::size_t(chains) * mipLevels);
    uint64_t offset = 0;
    for (uint32_t layer = 0; layer < layers; ++layer) {
        for (uint32_t face = 0; face < faces; ++face) {
            for (uint32_t level = 0; level < mipLevels; ++level) {
                DdsSubresource sub{ layer, face, level, levelExtent(width, level), levelExtent(height, level),
                                    levelExtent(depth, level), offset, 0 };
                levelBytes(*format, format->blockBytes, sub.width, sub.height, sub.depth, sub.size); // checked above
                offset += sub.size;
                image.subresources.push_back(sub);
            }
        }
    }

    const uint8_t *source = bytes.data() + dataOffset;
    if (format->conversion == Conversion::Copy) {
        image.data.assign(source, source + sourceTotal);
    } else {
        image.data.resize(imageTotal);
        convertTexels(format->conversion, source, image.data.data(), imageTotal / 4);
    }
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
