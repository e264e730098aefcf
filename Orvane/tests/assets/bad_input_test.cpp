// Files that are missing, empty, truncated or garbage, for every loader: OBJ loading throws naming the
// file, images and DDS files fail with the texture's log lines, SPIR-V files are refused with a log line
// and leave their stage empty. None of them is read past its end.
#include "asset_test_support.h"
#include "dds_fixture.h"

#include <Orvane/assets/mesh.h>
#include <Orvane/assets/obj_mesh_loader.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <ostream>

using namespace Orvane;

namespace {

std::vector<uint8_t> garbage(std::size_t size)
{
    std::vector<uint8_t> bytes(size);
    uint32_t state = 0x12345678;
    for (auto &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = uint8_t(state >> 24);
    }
    return bytes;
}

std::vector<uint8_t> bytesOfFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

std::vector<uint8_t> truncated(std::vector<uint8_t> bytes, std::size_t size)
{
    bytes.resize(std::min(bytes.size(), size));
    return bytes;
}

std::vector<uint8_t> text(const std::string &content)
{
    return { content.begin(), content.end() };
}

// ASCII text as UTF-16, optionally led by the byte-order mark.
std::vector<uint8_t> utf16(const std::string &content, bool bigEndian, bool withMark)
{
    std::vector<uint8_t> bytes;
    const auto append = [&](uint8_t low, uint8_t high) {
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    };
    if (withMark)
        append(0xFF, 0xFE);
    for (char c : content)
        append(uint8_t(c), 0);
    return bytes;
}

// One face with more corners than the parser can count in its byte per face.
std::vector<uint8_t> faceOf300Corners()
{
    std::string obj;
    std::string face = "f";
    for (int i = 0; i < 300; ++i) {
        obj += "v " + std::to_string(std::cos(i * 0.0209)) + " " + std::to_string(std::sin(i * 0.0209)) + " 0\n";
        face += " " + std::to_string(i + 1);
    }
    return text(obj + face + "\n");
}

const std::string TriangleObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

// ---- OBJ ------------------------------------------------------------------------------------------------

struct ObjCase {
    const char *name;
    std::vector<uint8_t> contents; // no file at all when `missing`
    bool missing;
    const char *messageFragment;
};

void PrintTo(const ObjCase &value, std::ostream *out)
{
    *out << value.name;
}

class BadObjTest : public ::testing::TestWithParam<ObjCase>
{ };

TEST_P(BadObjTest, ThrowsNamingTheFile)
{
    const ObjCase &c = GetParam();
    Orvane::Test::TemporaryDirectory directory;
    const std::string path = c.missing ? directory.file("absent.obj") : directory.write("model.obj", c.contents);
    Mesh mesh;
    try {
        loadObjMesh(path, mesh);
        FAIL() << "no exception";
    } catch (const std::runtime_error &error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(c.messageFragment), std::string::npos) << message;
    }
    EXPECT_TRUE(mesh.vertexBuffers.get().empty()) << "the mesh is left untouched";
    EXPECT_EQ(mesh.indexBuffer.get(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
        Files, BadObjTest,
        ::testing::Values(
                ObjCase{ "Missing", {}, true, "Cannot open file [" }, ObjCase{ "Empty", {}, false, "no faces found" },
                ObjCase{ "NoFaces", text("v 0 0 0\nv 1 0 0\n"), false, "no faces found" },
                // Random bytes hold NUL bytes, which text never does.
                ObjCase{ "Garbage", garbage(4096), false, "the file is not UTF-8 text" },
                ObjCase{ "Utf16LittleEndian", utf16(TriangleObj, false, true), false,
                         "the file is not UTF-8 text; it starts with a UTF-16 (little-endian) byte-order mark" },
                ObjCase{ "Utf16BigEndian", utf16(TriangleObj, true, true), false,
                         "the file is not UTF-8 text; it starts with a UTF-16 (big-endian) byte-order mark" },
                ObjCase{ "Utf16WithoutByteOrderMark", utf16(TriangleObj, false, false), false,
                         "the file is not UTF-8 text; it holds NUL bytes" },
                ObjCase{ "FaceOfMoreThan255Corners", faceOf300Corners(), false, "a face has more than 255 corners" },
                ObjCase{ "TruncatedFaceLine", text("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 0"), false,
                         "Failed parse `f' line" },
                ObjCase{ "PositionIndexOutOfRange", text("v 0 0 0\nv 1 0 0\nf 1 2 9\n"), false, "does not exist" },
                ObjCase{ "NormalIndexOutOfRange", text("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//4\n"),
                         false, "does not exist" },
                ObjCase{ "TextureIndexOutOfRange", text("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/2\n"), false,
                         "does not exist" }),
        [](const ::testing::TestParamInfo<ObjCase> &info) { return std::string(info.param.name); });

// ---- Images and DDS files through Texture2D --------------------------------------------------------------

struct ImageCase {
    const char *name;
    const char *fileName;
    std::vector<uint8_t> contents;
    bool missing;
    const char *message; // "{path}" stands for the file's path
};

void PrintTo(const ImageCase &value, std::ostream *out)
{
    *out << value.name;
}

std::string expand(std::string pattern, const std::string &path)
{
    const auto at = pattern.find("{path}");
    if (at != std::string::npos)
        pattern.replace(at, 6, path);
    return pattern;
}

std::vector<uint8_t> cubeMapDds()
{
    auto cube = Orvane::Test::DdsFixture::compressed("DXT1", 4, 4, 1).withPattern(6 * 8);
    cube.caps2 = Orvane::Test::DdsFixture::kCaps2Cubemap | Orvane::Test::DdsFixture::kCaps2AllFaces;
    return cube.bytes();
}

std::vector<uint8_t> arrayDds()
{
    return Orvane::Test::DdsFixture::withDx10(28, 2, 2, 1, 3).withPattern(3 * 2 * 2 * 4).bytes();
}

std::vector<uint8_t> lyingMipCountDds()
{
    // Claims 3 levels of an 8 x 8 DXT5 texture but carries only the first.
    return Orvane::Test::DdsFixture::compressed("DXT5", 8, 8, 3).withPattern(4 * 16).bytes();
}

class BadImageTest : public ::testing::TestWithParam<ImageCase>
{ };

TEST_P(BadImageTest, FailsWithTheLogLineAndNoData)
{
    const ImageCase &c = GetParam();
    Orvane::Test::TemporaryDirectory directory;
    const std::string path = c.missing ? directory.file(c.fileName) : directory.write(c.fileName, c.contents);

    Texture2D texture;
    // A good load first, so that the failure must also let go of its pixels.
    texture.setPath(
            directory.write("good.dds", Orvane::Test::DdsFixture::compressed("DXT1", 4, 4, 1).withPattern(8).bytes()));
    ASSERT_EQ(texture.status.get(), Texture::Status::Loaded);

    Orvane::Test::LogCapture log("texture");
    texture.setPath(path);
    EXPECT_EQ(texture.status.get(), Texture::Status::Failed);
    EXPECT_EQ(texture.data.get(), nullptr);
    EXPECT_EQ(texture.dataSize(), 0u);
    EXPECT_EQ(texture.ddsImage(), nullptr);
    EXPECT_EQ(log.count("warning " + expand(c.message, path)), 1) << log.text();
    if (std::string(c.message).find("dds texture") != std::string::npos) {
        EXPECT_EQ(log.count("debug " + path + ": "), 1) << "the reason follows at debug level";
    }
}

INSTANTIATE_TEST_SUITE_P(
        Files, BadImageTest,
        ::testing::Values(
                ImageCase{ "MissingImage", "absent.png", {}, true, "Failed to open texture file {path}" },
                ImageCase{ "EmptyImage", "empty.png", {}, false, "Failed to load texture {path} " },
                ImageCase{ "GarbageImage", "garbage.png", garbage(2048), false, "Failed to load texture {path} " },
                ImageCase{ "TruncatedPng", "cut.png",
                           truncated(bytesOfFile(SCENE_SOURCE_DIR "/cottage_diffuse.png"), 100), false,
                           "Failed to load texture {path} " },
                // The decoder gives an empty reason for this one: signature and header chunk, nothing after.
                ImageCase{ "PngEndingAfterItsHeader", "header.png",
                           truncated(bytesOfFile(SCENE_SOURCE_DIR "/cottage_diffuse.png"), 33), false,
                           "Failed to load texture {path} the header is readable but the image data is cut short or "
                           "corrupt" },
                // The extension test is case-sensitive: an upper-case DDS file goes to the image decoder.
                ImageCase{ "UpperCaseDdsExtension", "texture.DDS",
                           Orvane::Test::DdsFixture::compressed("DXT1", 4, 4, 1).withPattern(8).bytes(), false,
                           "Failed to load texture {path} " },
                ImageCase{ "MissingDds", "absent.dds", {}, true, "Failed to open texture file {path}" },
                ImageCase{ "EmptyDds", "empty.dds", {}, false, "Failed to load dds texture {path}" },
                ImageCase{ "GarbageDds", "garbage.dds", garbage(512), false, "Failed to load dds texture {path}" },
                ImageCase{ "TruncatedDdsHeader", "cut.dds",
                           truncated(Orvane::Test::DdsFixture::compressed("DXT1", 4, 4, 1).withPattern(8).bytes(), 60),
                           false, "Failed to load dds texture {path}" },
                ImageCase{ "DdsWithLyingMipCount", "lying.dds", lyingMipCountDds(), false,
                           "Failed to load dds texture {path}" },
                ImageCase{ "DdsCubeMap", "cube.dds", cubeMapDds(), false, "Failed to load dds texture {path}" },
                ImageCase{ "DdsArray", "array.dds", arrayDds(), false, "Failed to load dds texture {path}" }),
        [](const ::testing::TestParamInfo<ImageCase> &info) { return std::string(info.param.name); });

// ---- SPIR-V files -----------------------------------------------------------------------------------------

struct SpirVCase {
    const char *name;
    std::vector<uint8_t> contents;
    const char *message; // "{path}" stands for the file's path
};

void PrintTo(const SpirVCase &value, std::ostream *out)
{
    *out << value.name;
}

std::vector<uint8_t> validVertexShader()
{
    return bytesOfFile(std::string(ASSET_TEST_SHADER_DIR) + "/position.vert.spv");
}

class BadSpirVTest : public ::testing::TestWithParam<SpirVCase>
{ };

TEST_P(BadSpirVTest, IsRefusedAndLeavesTheStageEmpty)
{
    const SpirVCase &c = GetParam();
    Orvane::Test::TemporaryDirectory directory;
    const std::string path = directory.write("shader.spv", c.contents);

    SpirVShaderProgram program;
    int changes = 0;
    program.changed.connect([&](ShaderProgram *) { ++changes; });
    Orvane::Test::LogCapture log("shader program");
    program.vertexShader = path;
    EXPECT_TRUE(program.vertexShaderCode().empty());
    EXPECT_TRUE(program.vertexAttributes().empty());
    EXPECT_TRUE(program.resourceFormat().sets.empty());
    EXPECT_EQ(changes, 1) << "the program still announces the reload";
    EXPECT_EQ(log.count("warning " + expand(c.message, path)), 1) << log.text();
}

INSTANTIATE_TEST_SUITE_P(
        Files, BadSpirVTest,
        ::testing::Values(
                SpirVCase{ "Empty", {}, "Shader file {path} is not SPIR-V: it is empty" },
                SpirVCase{ "TenBytes", truncated(validVertexShader(), 10),
                           "Shader file {path} is not SPIR-V: its size of 10 bytes is not a multiple of 4" },
                SpirVCase{ "OneByteShortOfWholeWords", truncated(validVertexShader(), validVertexShader().size() - 1),
                           "Shader file {path} is not SPIR-V: its size of" },
                SpirVCase{ "GarbageWords", garbage(256), "Shader file {path} is not SPIR-V: wrong magic number 0x" },
                SpirVCase{ "Text", text("#version 450\nvoid main() {}\n"),
                           "Shader file {path} is not SPIR-V: wrong magic number 0x72657623" }),
        [](const ::testing::TestParamInfo<SpirVCase> &info) { return std::string(info.param.name); });

TEST(BadSpirV, MissingFileIsLoggedAsInTheFailureToOpen)
{
    SpirVShaderProgram program;
    Orvane::Test::LogCapture log("shader program");
    program.fragmentShader = "/nonexistent/shader.frag.spv";
    EXPECT_EQ(log.count("warning Failed to open shader file /nonexistent/shader.frag.spv"), 1);
    EXPECT_TRUE(program.fragmentShaderCode().empty());
}

TEST(BadSpirV, WholeWordsCutShortAreLoadedButGiveNothingToIntrospection)
{
    // The words pass the size and magic checks; introspection then rejects the module (logged) and the
    // program stays without attributes or layout, without reading past the code.
    Orvane::Test::TemporaryDirectory directory;
    const std::vector<uint8_t> cut = truncated(validVertexShader(), 64);
    SpirVShaderProgram program;
    Orvane::Test::LogCapture log("shader program");
    program.vertexShader = directory.write("cut.spv", cut);
    EXPECT_EQ(program.vertexShaderCode().size(), 16u);
    EXPECT_TRUE(program.vertexAttributes().empty());
    EXPECT_TRUE(program.resourceFormat().sets.empty());
    EXPECT_EQ(log.count("Shader Module Introspection Failed"), 1) << log.text();
}

} // namespace
