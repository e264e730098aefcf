#include "dds_fixture.h"

#include <Orvane/assets/dds_image.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <ostream>
#include <unistd.h>

namespace Orvane {
namespace {

using TbGpu::Format;
using Test::DdsFixture;

DdsImage readOk(const DdsFixture &fixture)
{
    const std::vector<uint8_t> bytes = fixture.bytes();
    DdsReadResult result = readDdsImage(bytes);
    EXPECT_TRUE(result) << result.error;
    EXPECT_TRUE(result.error.empty());
    return result ? *result.image : DdsImage{};
}

std::vector<uint64_t> sizesOf(const DdsImage &image)
{
    std::vector<uint64_t> sizes;
    for (const DdsSubresource &sub : image.subresources)
        sizes.push_back(sub.size);
    return sizes;
}

// Offsets must follow each other without gaps, in storage order, and end at the data's end.
void expectPackedLayout(const DdsImage &image)
{
    uint64_t offset = 0;
    for (std::size_t i = 0; i < image.subresources.size(); ++i) {
        const DdsSubresource &sub = image.subresources[i];
        EXPECT_EQ(sub.offset, offset) << "subresource " << i;
        EXPECT_EQ(&image.subresource(sub.layer, sub.face, sub.level), &sub) << "subresource " << i;
        offset += sub.size;
    }
    EXPECT_EQ(offset, image.data.size());
}

struct CompressedCase {
    const char *name;
    char fourCC[5];
    uint32_t width, height, mips;
    Format expectedFormat;
    std::vector<uint64_t> levelSizes;
};

// Parameters print as their names (gtest would otherwise dump their raw bytes, padding included).
void PrintTo(const CompressedCase &c, std::ostream *os)
{
    *os << c.name;
}

class LegacyFourCC : public ::testing::TestWithParam<CompressedCase>
{ };

TEST_P(LegacyFourCC, ReadsFormatLevelsAndData)
{
    const CompressedCase &c = GetParam();
    const uint64_t total = std::accumulate(c.levelSizes.begin(), c.levelSizes.end(), uint64_t(0));
    DdsFixture fixture = DdsFixture::compressed(c.fourCC, c.width, c.height, c.mips);
    fixture.withPattern(total);

    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.format, c.expectedFormat);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(image.depth, 1u);
    EXPECT_EQ(image.mipLevels, c.mips);
    EXPECT_EQ(image.arrayLayers, 1u);
    EXPECT_EQ(image.faces, 1u);
    EXPECT_TRUE(image.isPlain2D());
    EXPECT_EQ(sizesOf(image), c.levelSizes);
    EXPECT_EQ(image.data, fixture.payload);
    expectPackedLayout(image);
}

INSTANTIATE_TEST_SUITE_P(
        Dds, LegacyFourCC,
        ::testing::Values(CompressedCase{ "DXT1", "DXT1", 8, 8, 4, Format::BC1_RGBA_UNORM_BLOCK, { 32, 8, 8, 8 } },
                          CompressedCase{ "DXT3", "DXT3", 8, 4, 4, Format::BC2_UNORM_BLOCK, { 32, 16, 16, 16 } },
                          CompressedCase{ "DXT5", "DXT5", 16, 16, 1, Format::BC3_UNORM_BLOCK, { 256 } },
                          CompressedCase{ "ATI1", "ATI1", 4, 4, 3, Format::BC4_UNORM_BLOCK, { 8, 8, 8 } },
                          CompressedCase{ "BC4U", "BC4U", 8, 8, 1, Format::BC4_UNORM_BLOCK, { 32 } },
                          CompressedCase{ "BC4S", "BC4S", 8, 8, 1, Format::BC4_SNORM_BLOCK, { 32 } },
                          CompressedCase{ "ATI2", "ATI2", 8, 8, 2, Format::BC5_UNORM_BLOCK, { 64, 16 } },
                          CompressedCase{ "BC5U", "BC5U", 4, 4, 1, Format::BC5_UNORM_BLOCK, { 16 } },
                          // Sizes that are not multiples of four still take whole blocks.
                          CompressedCase{ "DXT1_5x3", "DXT1", 5, 3, 3, Format::BC1_RGBA_UNORM_BLOCK, { 16, 8, 8 } }),
        [](const auto &info) { return std::string(info.param.name); });

TEST(DdsImage, MipCountZeroMeansOneLevel)
{
    DdsFixture fixture = DdsFixture::compressed("DXT1", 8, 8, 0);
    fixture.withPattern(32);
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.mipLevels, 1u);
    EXPECT_EQ(sizesOf(image), (std::vector<uint64_t>{ 32 }));
}

TEST(DdsImage, TrailingBytesAreIgnored)
{
    DdsFixture fixture = DdsFixture::compressed("DXT5", 4, 4, 1);
    fixture.withPattern(16 + 9);
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.data, std::vector<uint8_t>(fixture.payload.begin(), fixture.payload.begin() + 16));
}

TEST(DdsImage, FloatFourCCCodes)
{
    DdsFixture half = DdsFixture::compressed("DXT1", 2, 2, 1);
    half.fourCC = 113;
    half.withPattern(2 * 2 * 8);
    EXPECT_EQ(readOk(half).format, Format::R16G16B16A16_SFLOAT);

    DdsFixture full = DdsFixture::compressed("DXT1", 2, 2, 2);
    full.fourCC = 116;
    full.withPattern(2 * 2 * 16 + 16);
    const DdsImage image = readOk(full);
    EXPECT_EQ(image.format, Format::R32G32B32A32_SFLOAT);
    EXPECT_EQ(sizesOf(image), (std::vector<uint64_t>{ 64, 16 }));
}

// Uncompressed files described by channel masks.
struct MaskCase {
    const char *name;
    uint32_t pfFlags, bits, r, g, b, a;
    Format expectedFormat;
    std::vector<uint8_t> fileTexels; // two texels
    std::vector<uint8_t> imageTexels; // the same two texels as the image holds them
};

void PrintTo(const MaskCase &c, std::ostream *os)
{
    *os << c.name;
}

class MaskedFormats : public ::testing::TestWithParam<MaskCase>
{ };

TEST_P(MaskedFormats, ReadsAndExpands)
{
    const MaskCase &c = GetParam();
    DdsFixture fixture = DdsFixture::masked(c.pfFlags, c.bits, c.r, c.g, c.b, c.a, 2, 1);
    fixture.payload = c.fileTexels;
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.format, c.expectedFormat);
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 1u);
    EXPECT_EQ(image.data, c.imageTexels);
    EXPECT_EQ(sizesOf(image), (std::vector<uint64_t>{ c.imageTexels.size() }));
}

constexpr uint32_t kRgbAlpha = DdsFixture::kPfRgb | DdsFixture::kPfAlphaPixels;

INSTANTIATE_TEST_SUITE_P(
        Dds, MaskedFormats,
        ::testing::Values(
                MaskCase{ "RGBA8",
                          kRgbAlpha,
                          32,
                          0xFF,
                          0xFF00,
                          0xFF0000,
                          0xFF000000,
                          Format::R8G8B8A8_UNORM,
                          { 1, 2, 3, 4, 5, 6, 7, 8 },
                          { 1, 2, 3, 4, 5, 6, 7, 8 } },
                MaskCase{ "BGRA8",
                          kRgbAlpha,
                          32,
                          0xFF0000,
                          0xFF00,
                          0xFF,
                          0xFF000000,
                          Format::B8G8R8A8_UNORM,
                          { 1, 2, 3, 4, 5, 6, 7, 8 },
                          { 1, 2, 3, 4, 5, 6, 7, 8 } },
                MaskCase{ "BGRX8",
                          DdsFixture::kPfRgb,
                          32,
                          0xFF0000,
                          0xFF00,
                          0xFF,
                          0,
                          Format::B8G8R8A8_UNORM,
                          { 1, 2, 3, 0, 5, 6, 7, 9 },
                          { 1, 2, 3, 255, 5, 6, 7, 255 } },
                MaskCase{ "RGBX8",
                          DdsFixture::kPfRgb,
                          32,
                          0xFF,
                          0xFF00,
                          0xFF0000,
                          0,
                          Format::R8G8B8A8_UNORM,
                          { 1, 2, 3, 0, 5, 6, 7, 0 },
                          { 1, 2, 3, 255, 5, 6, 7, 255 } },
                MaskCase{ "BGR24",
                          DdsFixture::kPfRgb,
                          24,
                          0xFF0000,
                          0xFF00,
                          0xFF,
                          0,
                          Format::B8G8R8A8_UNORM,
                          { 1, 2, 3, 4, 5, 6 },
                          { 1, 2, 3, 255, 4, 5, 6, 255 } },
                MaskCase{ "RGB24",
                          DdsFixture::kPfRgb,
                          24,
                          0xFF,
                          0xFF00,
                          0xFF0000,
                          0,
                          Format::R8G8B8A8_UNORM,
                          { 1, 2, 3, 4, 5, 6 },
                          { 1, 2, 3, 255, 4, 5, 6, 255 } },
                MaskCase{ "L8", DdsFixture::kPfLuminance, 8, 0xFF, 0, 0, 0, Format::R8_UNORM, { 17, 99 }, { 17, 99 } }),
        [](const auto &info) { return std::string(info.param.name); });

TEST(DdsImage, ExpandedMipChainKeepsLevelsApart)
{
    DdsFixture fixture = DdsFixture::masked(DdsFixture::kPfRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0, 2, 2);
    fixture.mipCount = 2;
    fixture.withPattern(2 * 2 * 3 + 3);
    const DdsImage image = readOk(fixture);
    ASSERT_EQ(sizesOf(image), (std::vector<uint64_t>{ 16, 4 }));
    const DdsSubresource &small = image.subresource(0, 0, 1);
    EXPECT_EQ(small.offset, 16u);
    EXPECT_EQ(image.data[small.offset + 0], fixture.payload[12]);
    EXPECT_EQ(image.data[small.offset + 2], fixture.payload[14]);
    EXPECT_EQ(image.data[small.offset + 3], 255);
}

struct Dx10Case {
    const char *name;
    uint32_t dxgi;
    Format expectedFormat;
    uint64_t bytesFor8x8; // one level of 8 x 8 texels
};

void PrintTo(const Dx10Case &c, std::ostream *os)
{
    *os << c.name;
}

class Dx10Formats : public ::testing::TestWithParam<Dx10Case>
{ };

TEST_P(Dx10Formats, MapsToVulkanFormat)
{
    const Dx10Case &c = GetParam();
    DdsFixture fixture = DdsFixture::withDx10(c.dxgi, 8, 8, 1);
    fixture.withPattern(c.bytesFor8x8);
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.format, c.expectedFormat);
    EXPECT_EQ(image.data, fixture.payload);
    EXPECT_TRUE(image.isPlain2D());
}

INSTANTIATE_TEST_SUITE_P(Dds, Dx10Formats,
                         ::testing::Values(Dx10Case{ "RGBA8_UNORM", 28, Format::R8G8B8A8_UNORM, 256 },
                                           Dx10Case{ "RGBA8_SRGB", 29, Format::R8G8B8A8_SRGB, 256 },
                                           Dx10Case{ "BGRA8_UNORM", 87, Format::B8G8R8A8_UNORM, 256 },
                                           Dx10Case{ "BGRA8_SRGB", 91, Format::B8G8R8A8_SRGB, 256 },
                                           Dx10Case{ "BC1_UNORM", 71, Format::BC1_RGBA_UNORM_BLOCK, 32 },
                                           Dx10Case{ "BC1_SRGB", 72, Format::BC1_RGBA_SRGB_BLOCK, 32 },
                                           Dx10Case{ "BC2_UNORM", 74, Format::BC2_UNORM_BLOCK, 64 },
                                           Dx10Case{ "BC2_SRGB", 75, Format::BC2_SRGB_BLOCK, 64 },
                                           Dx10Case{ "BC3_UNORM", 77, Format::BC3_UNORM_BLOCK, 64 },
                                           Dx10Case{ "BC3_SRGB", 78, Format::BC3_SRGB_BLOCK, 64 },
                                           Dx10Case{ "BC4_UNORM", 80, Format::BC4_UNORM_BLOCK, 32 },
                                           Dx10Case{ "BC5_UNORM", 83, Format::BC5_UNORM_BLOCK, 64 },
                                           Dx10Case{ "BC6H_UF16", 95, Format::BC6H_UFLOAT_BLOCK, 64 },
                                           Dx10Case{ "BC7_UNORM", 98, Format::BC7_UNORM_BLOCK, 64 },
                                           Dx10Case{ "BC7_SRGB", 99, Format::BC7_SRGB_BLOCK, 64 },
                                           Dx10Case{ "RGBA16_FLOAT", 10, Format::R16G16B16A16_SFLOAT, 512 },
                                           Dx10Case{ "RGBA32_FLOAT", 2, Format::R32G32B32A32_SFLOAT, 1024 },
                                           Dx10Case{ "R8_UNORM", 61, Format::R8_UNORM, 64 },
                                           Dx10Case{ "R8G8_UNORM", 49, Format::R8G8_UNORM, 128 }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DdsImage, LegacyCubeMapStoresFacesWithTheirMipChains)
{
    DdsFixture fixture = DdsFixture::compressed("DXT1", 8, 8, 2);
    fixture.caps2 = DdsFixture::kCaps2Cubemap | DdsFixture::kCaps2AllFaces;
    fixture.withPattern(6 * (32 + 8));
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.faces, 6u);
    EXPECT_TRUE(image.isCubeMap());
    EXPECT_FALSE(image.isPlain2D());
    EXPECT_EQ(image.arrayLayers, 1u);
    EXPECT_EQ(image.mipLevels, 2u);
    ASSERT_EQ(image.subresources.size(), 12u);
    const DdsSubresource &face3Level1 = image.subresource(0, 3, 1);
    EXPECT_EQ(face3Level1.face, 3u);
    EXPECT_EQ(face3Level1.level, 1u);
    EXPECT_EQ(face3Level1.offset, 3u * 40 + 32);
    EXPECT_EQ(face3Level1.size, 8u);
    EXPECT_EQ(face3Level1.width, 4u);
    EXPECT_EQ(image.data, fixture.payload);
    expectPackedLayout(image);
}

TEST(DdsImage, Dx10CubeArray)
{
    DdsFixture fixture = DdsFixture::withDx10(28, 4, 4, 1, 2);
    fixture.miscFlag = 0x4;
    fixture.withPattern(2 * 6 * 64);
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.faces, 6u);
    EXPECT_EQ(image.arrayLayers, 2u);
    ASSERT_EQ(image.subresources.size(), 12u);
    const DdsSubresource &sub = image.subresource(1, 2, 0);
    EXPECT_EQ(sub.layer, 1u);
    EXPECT_EQ(sub.face, 2u);
    EXPECT_EQ(sub.offset, (6u + 2u) * 64);
    expectPackedLayout(image);
}

TEST(DdsImage, Dx10ArrayWithMipChain)
{
    DdsFixture fixture = DdsFixture::withDx10(28, 4, 2, 3, 3);
    fixture.withPattern(3 * (32 + 8 + 4));
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.arrayLayers, 3u);
    EXPECT_EQ(image.faces, 1u);
    EXPECT_EQ(image.mipLevels, 3u);
    EXPECT_FALSE(image.isPlain2D());
    ASSERT_EQ(image.subresources.size(), 9u);
    const DdsSubresource &level1 = image.subresource(2, 0, 1);
    EXPECT_EQ(level1.width, 2u);
    EXPECT_EQ(level1.height, 1u);
    EXPECT_EQ(level1.offset, 2u * 44 + 32);
    const DdsSubresource &level2 = image.subresource(2, 0, 2);
    EXPECT_EQ(level2.width, 1u);
    EXPECT_EQ(level2.height, 1u);
    EXPECT_EQ(level2.size, 4u);
    EXPECT_EQ(image.data, fixture.payload);
    expectPackedLayout(image);
}

TEST(DdsImage, VolumeTextures)
{
    DdsFixture dx10 = DdsFixture::withDx10(61, 4, 4, 3);
    dx10.dimension = 4;
    dx10.depth = 4;
    dx10.withPattern(64 + 8 + 1);
    const DdsImage volume = readOk(dx10);
    EXPECT_EQ(volume.depth, 4u);
    EXPECT_TRUE(volume.isVolume());
    EXPECT_EQ(sizesOf(volume), (std::vector<uint64_t>{ 64, 8, 1 }));

    DdsFixture legacy = DdsFixture::masked(DdsFixture::kPfLuminance, 8, 0xFF, 0, 0, 0, 2, 2);
    legacy.flags |= DdsFixture::kFlagDepth;
    legacy.caps2 = DdsFixture::kCaps2Volume;
    legacy.depth = 3;
    legacy.withPattern(12);
    EXPECT_EQ(readOk(legacy).depth, 3u);
}

TEST(DdsImage, OneDimensionalDx10Texture)
{
    DdsFixture fixture = DdsFixture::withDx10(28, 8, 5, 1);
    fixture.dimension = 2;
    fixture.withPattern(32);
    const DdsImage image = readOk(fixture);
    EXPECT_EQ(image.width, 8u);
    EXPECT_EQ(image.height, 1u);
}

TEST(DdsImage, ReadsFilesAndReportsMissingOnes)
{
    const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("orvane_dds_test_" + std::to_string(::getpid()) + ".dds");
    DdsFixture fixture = DdsFixture::compressed("DXT5", 4, 4, 1);
    fixture.withPattern(16);
    {
        const std::vector<uint8_t> bytes = fixture.bytes();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }
    const DdsReadResult result = readDdsFile(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(result.image->data, fixture.payload);

    const DdsReadResult missing = readDdsFile(path);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, "cannot open " + path.string());
}

// Files that must be rejected, with the reason the reader gives.
struct BadCase {
    const char *name;
    std::vector<uint8_t> bytes;
    std::string expectedError;
};

std::vector<uint8_t> withBytes(DdsFixture fixture, std::size_t payload)
{
    fixture.withPattern(payload);
    return fixture.bytes();
}

DdsFixture dxt1(uint32_t w, uint32_t h, uint32_t mips)
{
    return DdsFixture::compressed("DXT1", w, h, mips);
}

std::vector<BadCase> badCases()
{
    std::vector<BadCase> cases;
    cases.push_back({ "Empty", {}, "file is empty" });
    cases.push_back({ "ThreeBytes", { 'D', 'D', 'S' }, "not a DDS file (missing \"DDS \" magic)" });

    DdsFixture wrongMagic = dxt1(4, 4, 1);
    wrongMagic.magic = 0x20534458;
    cases.push_back({ "WrongMagic", withBytes(wrongMagic, 8), "not a DDS file (missing \"DDS \" magic)" });

    std::vector<uint8_t> truncatedHeader = withBytes(dxt1(4, 4, 1), 8);
    truncatedHeader.resize(60);
    cases.push_back({ "TruncatedHeader", truncatedHeader, "file too short for the DDS header" });

    DdsFixture headerSize = dxt1(4, 4, 1);
    headerSize.headerSize = 100;
    cases.push_back({ "WrongHeaderSize", withBytes(headerSize, 8), "invalid header size 100" });

    DdsFixture pfSize = dxt1(4, 4, 1);
    pfSize.pfSize = 0;
    cases.push_back({ "WrongPixelFormatSize", withBytes(pfSize, 8), "invalid pixel format size 0" });

    DdsFixture noDx10 = DdsFixture::withDx10(28, 4, 4, 1);
    std::vector<uint8_t> noDx10Bytes = noDx10.bytes();
    noDx10Bytes.resize(128 + 12);
    cases.push_back({ "TruncatedDx10Header", noDx10Bytes, "file too short for the DX10 header" });

    cases.push_back(
            { "TruncatedData", withBytes(dxt1(8, 8, 1), 31), "pixel data truncated: 32 bytes expected, 31 present" });
    cases.push_back(
            { "LyingMipCount", withBytes(dxt1(8, 8, 4), 32), "pixel data truncated: 56 bytes expected, 32 present" });
    cases.push_back(
            { "AbsurdMipCount", withBytes(dxt1(4, 4, 40), 8), "mip count 40 exceeds the 3 levels of the extent" });
    cases.push_back({ "AbsurdDimensions", withBytes(dxt1(0xFFFFFFFF, 0xFFFFFFFF, 32), 8),
                      "extent 4294967295x4294967295x1 exceeds the limit of 32768" });
    // The largest accepted extent with every level: the sizes are computed, then found missing.
    cases.push_back({ "HugeButTruncated", withBytes(dxt1(32768, 32768, 16), 8),
                      "pixel data truncated: 715827896 bytes expected, 8 present" });

    DdsFixture hugeCubeArray = DdsFixture::withDx10(2, 32768, 32768, 16, 2048);
    hugeCubeArray.miscFlag = 0x4;
    cases.push_back({ "HugeCubeArrayTruncated", withBytes(hugeCubeArray, 64),
                      "pixel data truncated: 281474976645120 bytes expected, 64 present" });

    DdsFixture arraySize = DdsFixture::withDx10(28, 4, 4, 1, 0xFFFFFFFF);
    cases.push_back({ "AbsurdArraySize", withBytes(arraySize, 64), "invalid array size 4294967295" });
    DdsFixture emptyArray = DdsFixture::withDx10(28, 4, 4, 1, 0);
    cases.push_back({ "ZeroArraySize", withBytes(emptyArray, 64), "invalid array size 0" });

    cases.push_back({ "ZeroWidth", withBytes(dxt1(0, 4, 1), 8), "zero extent 0x4x1" });

    DdsFixture zeroDepth = DdsFixture::withDx10(61, 4, 4, 1);
    zeroDepth.dimension = 4;
    zeroDepth.depth = 0;
    cases.push_back({ "ZeroDepthVolume", withBytes(zeroDepth, 16), "zero extent 4x4x0" });

    cases.push_back(
            { "UnknownFourCC", withBytes(DdsFixture::compressed("ABCD", 4, 4, 1), 16), "unsupported FourCC 'ABCD'" });
    cases.push_back({ "TypelessDxgi", withBytes(DdsFixture::withDx10(27, 4, 4, 1), 64), "unsupported DXGI format 27" });

    DdsFixture rgb565 = DdsFixture::masked(DdsFixture::kPfRgb, 16, 0xF800, 0x7E0, 0x1F, 0, 4, 4);
    cases.push_back({ "Rgb565", withBytes(rgb565, 32), "unsupported pixel format (flags 64, 16 bits per texel)" });

    DdsFixture partialCube = dxt1(4, 4, 1);
    partialCube.caps2 = DdsFixture::kCaps2Cubemap | 0x400 | 0x800;
    cases.push_back({ "PartialCube", withBytes(partialCube, 48), "partial cube maps are not supported" });

    DdsFixture oblongCube = DdsFixture::withDx10(28, 8, 4, 1);
    oblongCube.miscFlag = 0x4;
    cases.push_back({ "NonSquareCube", withBytes(oblongCube, 6 * 128), "cube map faces are not square" });

    DdsFixture cubeVolume = DdsFixture::withDx10(28, 4, 4, 1);
    cubeVolume.dimension = 4;
    cubeVolume.depth = 4;
    cubeVolume.miscFlag = 0x4;
    cases.push_back({ "CubeVolume", withBytes(cubeVolume, 1024), "a volume texture cannot be a cube map" });

    DdsFixture volumeArray = DdsFixture::withDx10(28, 4, 4, 1, 2);
    volumeArray.dimension = 4;
    volumeArray.depth = 2;
    cases.push_back({ "VolumeArray", withBytes(volumeArray, 256), "volume texture arrays are not supported" });

    DdsFixture badDimension = DdsFixture::withDx10(28, 4, 4, 1);
    badDimension.dimension = 7;
    cases.push_back({ "UnknownDimension", withBytes(badDimension, 64), "unsupported resource dimension 7" });

    // A text file is not a DDS file.
    const std::string text = "# a text file that happens to be read as a texture\n";
    cases.push_back(
            { "Garbage", std::vector<uint8_t>(text.begin(), text.end()), "not a DDS file (missing \"DDS \" magic)" });
    return cases;
}

void PrintTo(const BadCase &c, std::ostream *os)
{
    *os << c.name;
}

class BadDdsInput : public ::testing::TestWithParam<BadCase>
{ };

TEST_P(BadDdsInput, IsRejectedWithReason)
{
    const DdsReadResult result = readDdsImage(GetParam().bytes);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.image.has_value());
    EXPECT_EQ(result.error, GetParam().expectedError);
}

INSTANTIATE_TEST_SUITE_P(Dds, BadDdsInput, ::testing::ValuesIn(badCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// Every proper prefix of valid files is rejected: no length short of the full data passes.
TEST(DdsImage, EveryTruncationIsRejected)
{
    DdsFixture cube = DdsFixture::withDx10(71, 8, 8, 2, 2);
    cube.miscFlag = 0x4;
    DdsFixture expanded = DdsFixture::masked(DdsFixture::kPfRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0, 3, 3);
    expanded.mipCount = 2;
    for (const std::vector<uint8_t> &file :
         { withBytes(dxt1(8, 8, 4), 56), withBytes(cube, 2 * 6 * 40), withBytes(expanded, 27 + 3) }) {
        ASSERT_TRUE(readDdsImage(file));
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::vector<uint8_t> prefix(file.begin(), file.begin() + std::ptrdiff_t(length));
            EXPECT_FALSE(readDdsImage(prefix)) << "prefix of " << length << " of " << file.size() << " bytes";
        }
    }
}

// Scrambling the header's fields one at a time must never read outside the buffer (run under a
// sanitizer or valgrind to see it); whatever is accepted must be consistent with the file length.
TEST(DdsImage, ScrambledHeadersStayInBounds)
{
    DdsFixture cube = DdsFixture::withDx10(28, 4, 4, 3, 2);
    cube.miscFlag = 0x4;
    const std::vector<uint8_t> original = withBytes(cube, 2 * 6 * (64 + 16 + 4));
    const uint32_t values[] = { 0, 1, 2, 3, 4, 6, 7, 0x80, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF, 0x31545844 };
    for (std::size_t field = 4; field < 148; field += 4) {
        for (uint32_t value : values) {
            std::vector<uint8_t> file = original;
            for (int i = 0; i < 4; ++i)
                file[field + std::size_t(i)] = uint8_t(value >> (8 * i));
            const DdsReadResult result = readDdsImage(file);
            if (result) {
                EXPECT_LE(result.image->data.size(), 2 * file.size()) << "field " << field << " value " << value;
                EXPECT_EQ(result.image->subresources.size(),
                          std::size_t(result.image->arrayLayers) * result.image->faces * result.image->mipLevels);
            } else {
                EXPECT_FALSE(result.error.empty());
            }
        }
    }
}

} // namespace
} // namespace Orvane
