#include <Orvane/render/embedded_filesystem.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

using Orvane::Render::EmbeddedFilesystem;
using Orvane::Render::embeddedFilesystem;

TEST(EmbeddedFilesystem, HoldsTheSixEngineShadersAsSpirV)
{
    for (const char *path : { "shaders/null.vert.spv", "shaders/null.frag.spv", "shaders/stereo/anaglyph-fsq.vert.spv",
                              "shaders/stereo/anaglyph-fsq.frag.spv", "shaders/stereo/stereo-fsq.vert.spv",
                              "shaders/stereo/stereo-fsq.frag.spv" }) {
        SCOPED_TRACE(path);
        const auto file = embeddedFilesystem().open(path);
        ASSERT_TRUE(file.has_value());
        ASSERT_GE(file->size(), 20u);
        EXPECT_EQ(file->size() % 4, 0u);
        uint32_t magic = 0;
        std::memcpy(&magic, file->begin, sizeof magic);
        EXPECT_EQ(magic, 0x07230203u);
    }
    const auto anaglyph = embeddedFilesystem().open("shaders/stereo/anaglyph-fsq.vert.spv");
    const auto stereo = embeddedFilesystem().open("shaders/stereo/stereo-fsq.vert.spv");
    EXPECT_TRUE(std::equal(anaglyph->begin, anaglyph->end, stereo->begin, stereo->end))
            << "both composition passes share one vertex shader";
}

TEST(EmbeddedFilesystem, PathsAreNormalisedBeforeLookup)
{
    const auto plain = embeddedFilesystem().open("shaders/null.vert.spv");
    const auto messy = embeddedFilesystem().open("/shaders//null.vert.spv/");
    ASSERT_TRUE(plain && messy);
    EXPECT_EQ(plain->begin, messy->begin) << "the same bytes, not a copy";
    EXPECT_EQ(plain->end, messy->end);

    EXPECT_EQ(EmbeddedFilesystem::normalisePath("///a//b///c//"), "a/b/c");
    EXPECT_EQ(EmbeddedFilesystem::normalisePath("/"), "");
}

TEST(EmbeddedFilesystem, DirectoriesAndMissingPathsAreNotFiles)
{
    EXPECT_FALSE(embeddedFilesystem().open("shaders/stereo").has_value());
    EXPECT_TRUE(embeddedFilesystem().isDirectory("shaders/stereo/"));
    EXPECT_FALSE(embeddedFilesystem().open("shaders/missing.spv").has_value());
    EXPECT_FALSE(embeddedFilesystem().open("").has_value());
    EXPECT_FALSE(embeddedFilesystem().isDirectory("shaders/null.vert.spv"));

    const auto &stereo = embeddedFilesystem().root().directories.at("shaders").directories.at("stereo");
    EXPECT_EQ(stereo.files.size(), 4u);
}
