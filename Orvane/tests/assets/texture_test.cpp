#include "asset_test_support.h"
#include "dds_fixture.h"

#include <Orvane/assets/dds_image.h>
#include <Orvane/assets/texture.h>

#include <gtest/gtest.h>

#include <ostream>

#include <stb_image.h>
#include <stb_image_write.h>

#include <cstring>

using namespace Orvane;
using Status = Texture::Status;

namespace {

// Encodes a PNG of `channels` channels whose texel (x, y) has red x * 10 and green y * 10.
std::vector<uint8_t> encodePng(int width, int height, int channels)
{
    std::vector<uint8_t> pixels(std::size_t(width * height * channels), 200);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[std::size_t((y * width + x) * channels)] = uint8_t(x * 10);
            if (channels > 1)
                pixels[std::size_t((y * width + x) * channels + 1)] = uint8_t(y * 10);
        }
    }
    std::vector<uint8_t> png;
    stbi_write_png_to_func(
            [](void *context, void *data, int size) {
                auto *out = static_cast<std::vector<uint8_t> *>(context);
                out->insert(out->end(), static_cast<uint8_t *>(data), static_cast<uint8_t *>(data) + size);
            },
            &png, width, height, channels, pixels.data(), width * channels);
    return png;
}

struct TextureFixture : ::testing::Test {
    Orvane::Test::TemporaryDirectory directory;
    Texture2D texture;
    int changes = 0;

    TextureFixture()
    {
        texture.changed.connect([this](Texture *emitter) {
            EXPECT_EQ(emitter, &texture);
            ++changes;
        });
    }
};

TEST_F(TextureFixture, RgbPngBecomesRgbaWithItsSize)
{
    const std::string path = directory.write("rgb.png", encodePng(5, 3, 3));
    texture.setPath(path);
    EXPECT_EQ(texture.status.get(), Status::Loaded);
    EXPECT_EQ(texture.type.get(), Texture::TextureType::TwoDimensional);
    EXPECT_EQ(texture.width.get(), 5u);
    EXPECT_EQ(texture.height.get(), 3u);
    EXPECT_EQ(texture.format.get(), TbGpu::Format(37));
    EXPECT_EQ(texture.dataSize(), 5u * 3u * 4u);
    EXPECT_EQ(texture.ddsImage(), nullptr);
    ASSERT_NE(texture.data.get(), nullptr);
    // Texel (4, 2): rows top to bottom, four channels, alpha filled in.
    const uint8_t *texel = texture.data.get() + (2 * 5 + 4) * 4;
    EXPECT_EQ(texel[0], 40);
    EXPECT_EQ(texel[1], 20);
    EXPECT_EQ(texel[2], 200);
    EXPECT_EQ(texel[3], 255);
    EXPECT_EQ(changes, 5) << "path, data, width, height and format";
    // depth, levels and layers are left as they were.
    EXPECT_EQ(texture.depth.get(), 0u);
    EXPECT_EQ(texture.mipLevels.get(), 0u);
}

TEST_F(TextureFixture, StatusGoesIdleLoadingThenLoadedOrFailed)
{
    std::vector<Status> seen;
    texture.status.valueChanged().connect([&](const Status &status) { seen.push_back(status); });
    texture.setPath(directory.write("a.png", encodePng(2, 2, 4)));
    EXPECT_EQ(seen, (std::vector<Status>{ Status::Loading, Status::Loaded }));
    seen.clear();
    texture.setPath(directory.file("missing.png"));
    EXPECT_EQ(seen, (std::vector<Status>{ Status::Idle, Status::Loading, Status::Failed }));
}

TEST_F(TextureFixture, TheCurrentPathIsNotLoadedAgain)
{
    const std::string path = directory.write("a.png", encodePng(2, 2, 4));
    texture.setPath(path);
    const uint8_t *first = texture.data.get();
    changes = 0;
    texture.setPath(path);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(texture.data.get(), first);
    // Setting the property directly loads nothing.
    texture.path = directory.file("other.png");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(texture.data.get(), first);
    EXPECT_EQ(texture.status.get(), Status::Loaded);
}

TEST_F(TextureFixture, AChosenFormatStays)
{
    texture.format = TbGpu::Format(43);
    texture.setPath(directory.write("a.png", encodePng(2, 2, 3)));
    EXPECT_EQ(texture.format.get(), TbGpu::Format(43));
}

TEST_F(TextureFixture, ANewLoadReplacesThePixelsAndAFailedOneLeavesNone)
{
    texture.setPath(directory.write("a.png", encodePng(4, 4, 4)));
    ASSERT_NE(texture.data.get(), nullptr);
    std::vector<uint8_t *> dataSeen;
    texture.data.valueChanged().connect([&](uint8_t *const &data) { dataSeen.push_back(data); });

    texture.setPath(directory.write("b.png", encodePng(2, 1, 4)));
    ASSERT_NE(texture.data.get(), nullptr);
    // The old pixels are forgotten (null) before the new ones arrive.
    ASSERT_EQ(dataSeen.size(), 2u);
    EXPECT_EQ(dataSeen[0], nullptr);
    EXPECT_EQ(texture.dataSize(), 8u);

    texture.setPath(directory.write("c.png", std::string("not an image")));
    EXPECT_EQ(texture.status.get(), Status::Failed);
    EXPECT_EQ(texture.data.get(), nullptr);
    EXPECT_EQ(texture.width.get(), 0u);
    EXPECT_EQ(texture.dataSize(), 0u);
}

TEST_F(TextureFixture, PixelsTakenOverByClearingOwnsDataAreNotFreed)
{
    texture.setPath(directory.write("a.png", encodePng(3, 1, 4)));
    uint8_t *taken = texture.data.get();
    ASSERT_NE(taken, nullptr);
    texture.ownsData = false;
    texture.setPath(directory.write("b.png", encodePng(1, 1, 4)));
    ASSERT_NE(texture.data.get(), nullptr);
    EXPECT_NE(texture.data.get(), taken);
    // Still ours to read and to free (a second free would abort the test).
    EXPECT_EQ(taken[4], 10);
    stbi_image_free(taken);
    // Owning again: the texture frees its current pixels when it dies.
    texture.ownsData = true;
}

TEST_F(TextureFixture, LoadFromMemoryDecodesWithoutAFinalStatus)
{
    EXPECT_TRUE(texture.loadFromMemory(encodePng(3, 2, 1)));
    EXPECT_EQ(texture.status.get(), Status::Loading);
    EXPECT_EQ(texture.width.get(), 3u);
    EXPECT_EQ(texture.height.get(), 2u);
    EXPECT_EQ(texture.format.get(), TbGpu::Format(37));
    ASSERT_NE(texture.data.get(), nullptr);
    EXPECT_EQ(texture.data.get()[4 + 3], 255) << "grey expanded to RGBA";

    Orvane::Test::LogCapture log("texture");
    EXPECT_FALSE(texture.loadFromMemory({ 1, 2, 3 }));
    EXPECT_EQ(texture.data.get(), nullptr);
    EXPECT_EQ(log.count("warning Failed to load texture from memory"), 1);
}

TEST_F(TextureFixture, SamplingOptionsAnnounceAsDocumented)
{
    texture.addressModeU = Texture::AddressMode::ClampToEdge;
    texture.addressModeV = Texture::AddressMode::MirroredRepeat;
    texture.addressModeW = Texture::AddressMode::ClampToBorder;
    texture.exportMemory = true;
    EXPECT_EQ(changes, 4);
    texture.mipmapFilter = Texture::Filter::Nearest;
    texture.minificationFilter = Texture::Filter::Linear;
    texture.magnificationFilter = Texture::Filter::NearestMipmap;
    EXPECT_EQ(changes, 4) << "filters are read when the sampler is made";
    texture.externalMemoryHandle = TbGpu::MemoryHandle(TbGpu::FileDescriptorHandle{ 3 });
    EXPECT_EQ(changes, 4);
}

TEST(TextureFilters, NearestRules)
{
    using Filter = Texture::Filter;
    EXPECT_TRUE(Texture::samplesNearest(Filter::Nearest));
    EXPECT_TRUE(Texture::samplesNearest(Filter::NearestMipmap));
    EXPECT_FALSE(Texture::samplesNearest(Filter::Default));
    EXPECT_FALSE(Texture::samplesNearest(Filter::Linear));
    EXPECT_TRUE(Texture::mipmapsNearest(Filter::Nearest));
    EXPECT_FALSE(Texture::mipmapsNearest(Filter::NearestMipmap));
}

// DDS files of each supported kind, through Texture2D: the texture reports what the reader found, and its
// data is the file's texels, level after level.
struct DdsCase {
    const char *name;
    Orvane::Test::DdsFixture file;
    uint32_t format;
    uint32_t mipLevels;
};

void PrintTo(const DdsCase &value, std::ostream *out)
{
    *out << value.name;
}

std::vector<DdsCase> ddsCases()
{
    using Orvane::Test::DdsFixture;
    // Block-compressed levels of 8 x 8: 4 blocks, then 1, then 1 (8 or 16 bytes each).
    return {
        { "Dxt1", DdsFixture::compressed("DXT1", 8, 8, 3).withPattern(6 * 8), 133, 3 },
        { "Dxt3", DdsFixture::compressed("DXT3", 8, 8, 1).withPattern(4 * 16), 135, 1 },
        { "Dxt5", DdsFixture::compressed("DXT5", 8, 8, 2).withPattern(5 * 16), 137, 2 },
        { "Ati1", DdsFixture::compressed("ATI1", 4, 4, 1).withPattern(8), 139, 1 },
        { "Ati2", DdsFixture::compressed("ATI2", 4, 4, 1).withPattern(16), 141, 1 },
        { "Bgra8Masks",
          DdsFixture::masked(DdsFixture::kPfRgb | DdsFixture::kPfAlphaPixels, 32, 0x00FF0000, 0x0000FF00, 0x000000FF,
                             0xFF000000, 4, 2)
                  .withPattern(4 * 2 * 4),
          44, 1 },
        { "Rgba8Masks",
          DdsFixture::masked(DdsFixture::kPfRgb | DdsFixture::kPfAlphaPixels, 32, 0x000000FF, 0x0000FF00, 0x00FF0000,
                             0xFF000000, 2, 2)
                  .withPattern(2 * 2 * 4),
          37, 1 },
        { "Dx10Rgba8WithMips", DdsFixture::withDx10(28, 4, 4, 3).withPattern((16 + 4 + 1) * 4), 37, 3 },
        { "Dx10Bc7", DdsFixture::withDx10(98, 8, 4, 1).withPattern(2 * 16), 145, 1 },
    };
}

class DdsTextureTest : public ::testing::TestWithParam<DdsCase>
{ };

TEST_P(DdsTextureTest, LoadsWithFormatLevelsAndData)
{
    const DdsCase &c = GetParam();
    Orvane::Test::TemporaryDirectory directory;
    const std::vector<uint8_t> bytes = c.file.bytes();
    const std::string path = directory.write("texture.dds", bytes);

    Texture2D texture;
    texture.setPath(path);
    ASSERT_EQ(texture.status.get(), Status::Loaded);
    EXPECT_EQ(uint32_t(texture.format.get()), c.format);
    EXPECT_EQ(texture.mipLevels.get(), c.mipLevels);
    EXPECT_EQ(texture.arrayLayers.get(), 1u);
    EXPECT_EQ(texture.width.get(), c.file.width);
    EXPECT_EQ(texture.height.get(), c.file.height);
    EXPECT_EQ(texture.depth.get(), 1u);
    ASSERT_NE(texture.ddsImage(), nullptr);
    EXPECT_EQ(texture.data.get(), texture.ddsImage()->data.data());
    ASSERT_EQ(texture.dataSize(), c.file.payload.size());
    EXPECT_EQ(std::memcmp(texture.data.get(), c.file.payload.data(), c.file.payload.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DdsTextureTest, ::testing::ValuesIn(ddsCases()),
                         [](const ::testing::TestParamInfo<DdsCase> &info) { return std::string(info.param.name); });

TEST(DdsTexture, ALoadAfterADdsReplacesTheImage)
{
    Orvane::Test::TemporaryDirectory directory;
    Texture2D texture;
    texture.setPath(
            directory.write("a.dds", Orvane::Test::DdsFixture::compressed("DXT1", 4, 4, 1).withPattern(8).bytes()));
    ASSERT_NE(texture.ddsImage(), nullptr);
    texture.setPath(directory.write("b.png", encodePng(1, 1, 4)));
    EXPECT_EQ(texture.status.get(), Status::Loaded);
    EXPECT_EQ(texture.ddsImage(), nullptr);
    EXPECT_EQ(texture.format.get(), TbGpu::Format(37)) << "the DDS file's format does not describe decoded RGBA";
}

TEST(TextureLifetime, DestroyedIsAnnouncedWithThePixelsStillThere)
{
    Orvane::Test::TemporaryDirectory directory;
    auto texture = std::make_unique<Texture2D>();
    texture->setPath(directory.write("a.png", encodePng(2, 2, 4)));
    uint8_t firstRed = 1;
    texture->destroyed.connect([&](Texture *emitter) { firstRed = emitter->data.get()[0]; });
    texture.reset();
    EXPECT_EQ(firstRed, 0);
}

} // namespace

namespace {

TEST(SceneTexture, CottageAtlasLoads)
{
    Texture2D texture;
    texture.setObjectName("Model Texture");
    texture.setPath(std::string(SCENE_SOURCE_DIR) + "/cottage_diffuse.png");
    ASSERT_EQ(texture.status.get(), Texture::Status::Loaded);
    EXPECT_GE(texture.width.get(), 64u);
    EXPECT_GE(texture.height.get(), 64u);
    EXPECT_EQ(texture.format.get(), TbGpu::Format(37));
    EXPECT_EQ(texture.dataSize(), std::size_t(texture.width.get()) * texture.height.get() * 4);
}

} // namespace
