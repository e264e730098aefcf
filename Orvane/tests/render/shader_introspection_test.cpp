#include <Orvane/render/embedded_filesystem.h>
#include <Orvane/render/shader_introspection.h>

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Orvane;
using Orvane::Render::introspectShaderModule;
using Orvane::Render::mergeResourceFormat;

namespace {

std::vector<uint32_t> readSpirV(const std::string &name)
{
    std::ifstream file(std::string(INTROSPECTION_SHADER_DIR) + "/" + name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), {});
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

std::vector<uint32_t> embeddedSpirV(const std::string &path)
{
    const auto file = Render::embeddedFilesystem().open(path);
    std::vector<uint32_t> words(file->size() / 4);
    std::memcpy(words.data(), file->begin, words.size() * 4);
    return words;
}

struct CapturedLog {
    std::ostringstream text;
    spdlog::logger logger{ "introspection test", std::make_shared<spdlog::sinks::ostream_sink_st>(text) };
};

const ResourceSet &setNumbered(const ResourceFormat &format, uint32_t number)
{
    const auto it =
            std::find_if(format.sets.begin(), format.sets.end(), [&](const ResourceSet &s) { return s.set == number; });
    if (it == format.sets.end())
        throw std::runtime_error("no set " + std::to_string(number));
    return *it;
}

const ResourceBinding &bindingNumbered(const ResourceSet &set, uint32_t number)
{
    const auto it = std::find_if(set.bindings.begin(), set.bindings.end(),
                                 [&](const ResourceBinding &b) { return b.binding == number; });
    if (it == set.bindings.end())
        throw std::runtime_error("no binding " + std::to_string(number));
    return *it;
}

} // namespace

TEST(ShaderIntrospection, StereoCompositionShaders)
{
    CapturedLog log;
    ResourceFormat format;
    std::vector<ShaderAttribute> attributes;
    introspectShaderModule(embeddedSpirV("shaders/stereo/stereo-fsq.vert.spv"), format, log.logger, &attributes);
    EXPECT_TRUE(attributes.empty()) << "gl_VertexIndex is a built-in, not an attribute";
    EXPECT_TRUE(format.sets.empty());

    introspectShaderModule(embeddedSpirV("shaders/stereo/stereo-fsq.frag.spv"), format, log.logger, nullptr);
    ASSERT_EQ(format.sets.size(), 1u);
    EXPECT_EQ(format.sets[0].set, 0u);
    ASSERT_EQ(format.sets[0].bindings.size(), 1u);
    const ResourceBinding &texture = format.sets[0].bindings[0];
    EXPECT_EQ(texture.binding, 0u);
    EXPECT_EQ(texture.type, 1u) << "combined image sampler";
    EXPECT_EQ(texture.count, 1u);
    EXPECT_EQ(texture.stages, 0x10u);
    EXPECT_EQ(texture.block, BlockDescription{});
    ASSERT_EQ(format.pushConstantRanges.size(), 1u);
    EXPECT_EQ(format.pushConstantRanges[0], (PushConstantRange{ 0, 4, 0x10 }));
    EXPECT_TRUE(log.text.str().empty());
}

TEST(ShaderIntrospection, EveryResourceKindAcrossTwoStagesMerges)
{
    CapturedLog log;
    ResourceFormat format;
    std::vector<ShaderAttribute> attributes;
    introspectShaderModule(readSpirV("kinds.vert.spv"), format, log.logger, &attributes);
    introspectShaderModule(readSpirV("kinds.frag.spv"), format, log.logger, nullptr);
    const Render::MergeResult merge = mergeResourceFormat(format);
    EXPECT_TRUE(merge.ok);
    EXPECT_TRUE(merge.errors.empty());

    std::vector<uint32_t> order;
    for (const ResourceSet &set : format.sets)
        order.push_back(set.set);
    EXPECT_EQ(order, (std::vector<uint32_t>{ 0, 1, 2, 3 })) << "sets sorted by number, set 0 merged into one";

    const ResourceBinding &camera = bindingNumbered(setNumbered(format, 0), 0);
    EXPECT_EQ(camera.type, 6u);
    EXPECT_EQ(camera.stages, 0x11u) << "vertex | fragment";
    EXPECT_EQ(camera.block.name, "camera");
    EXPECT_EQ(camera.block.typeName, "Camera");
    EXPECT_EQ(camera.block.size, 140u);
    ASSERT_EQ(camera.block.members.size(), 3u);
    EXPECT_EQ(camera.block.members[1], (BlockDescription{ "projectionMatrix", "", 64, 64, {} }));
    EXPECT_EQ(camera.block.members[2].offset, 128u);

    const ResourceBinding &model = bindingNumbered(setNumbered(format, 1), 0);
    EXPECT_EQ(model.type, 8u) << "a block type named ...Entity is bound as a dynamic uniform buffer";
    EXPECT_EQ(model.block.typeName, "ModelEntity");

    const ResourceBinding &lights = bindingNumbered(setNumbered(format, 3), 0);
    ASSERT_EQ(lights.block.members.size(), 2u);
    EXPECT_EQ(lights.block.members[0].name, "lights");
    EXPECT_EQ(lights.block.members[0].typeName, "Light");
    EXPECT_EQ(lights.block.members[0].members.size(), 2u) << "struct members are described recursively";
    EXPECT_EQ(lights.block.members[1].offset, 64u);

    // set 2: binding -> {type, count}
    const ResourceSet &set2 = setNumbered(format, 2);
    const std::vector<std::pair<uint32_t, std::pair<uint32_t, uint32_t>>> expected = {
        { 0, { 1, 4 } }, // sampler2D[4]
        { 1, { 1, 6 } }, // sampler2D[2][3]
        { 2, { 2, 1 } }, // texture2D
        { 3, { 0, 1 } }, // sampler
        { 4, { 3, 1 } }, // image2D
        { 5, { 4, 1 } }, // samplerBuffer
        { 6, { 7, 1 } }, // buffer block
    };
    ASSERT_EQ(set2.bindings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(set2.bindings[i].binding, expected[i].first);
        EXPECT_EQ(set2.bindings[i].type, expected[i].second.first);
        EXPECT_EQ(set2.bindings[i].count, expected[i].second.second);
        EXPECT_EQ(set2.bindings[i].stages, 0x10u);
    }
    EXPECT_EQ(set2.bindings[6].block.typeName, "Results");

    ASSERT_EQ(format.pushConstantRanges.size(), 1u);
    EXPECT_EQ(format.pushConstantRanges[0], (PushConstantRange{ 0, 4, 0x1 }));

    const std::vector<ShaderAttribute> expectedAttributes = {
        { 0, TbGpu::Format::R32G32B32_SFLOAT, "vertexPosition" },
        { 1, TbGpu::Format::R32G32B32_SFLOAT, "vertexNormal" },
        { 2, TbGpu::Format::R32G32_SFLOAT, "vertexTexCoord" },
        { 3, TbGpu::Format::R32G32B32A32_SINT, "vertexJoints" },
    };
    EXPECT_EQ(attributes, expectedAttributes);
}

TEST(ShaderIntrospection, IncompatibleBindingsKeepBothSetsAndReportTheSetNumber)
{
    CapturedLog log;
    ResourceFormat format;
    introspectShaderModule(readSpirV("kinds.vert.spv"), format, log.logger, nullptr);
    introspectShaderModule(readSpirV("conflict.frag.spv"), format, log.logger, nullptr);
    const Render::MergeResult merge = mergeResourceFormat(format);
    EXPECT_FALSE(merge.ok);
    EXPECT_EQ(merge.errors,
              std::vector<std::string>{ "Found multiple incompatible descriptor sets with set number = 0" });
    const auto setZeroEntries =
            std::count_if(format.sets.begin(), format.sets.end(), [](const ResourceSet &s) { return s.set == 0; });
    EXPECT_EQ(setZeroEntries, 2);
    EXPECT_EQ(format.sets.front().bindings.front().type, 6u) << "the first entry of the number stays first";
}

TEST(ShaderIntrospection, MergeSortsSetsAndBindings)
{
    ResourceFormat format;
    format.sets = { { 3, { { 2, 1, 6, 0x1, {} }, { 0, 1, 6, 0x1, {} } } },
                    { 1, { { 5, 1, 1, 0x10, {} } } },
                    { 3, { { 1, 1, 1, 0x10, {} }, { 2, 1, 6, 0x10, {} } } } };
    EXPECT_TRUE(mergeResourceFormat(format).ok);
    ASSERT_EQ(format.sets.size(), 2u);
    EXPECT_EQ(format.sets[0].set, 1u);
    EXPECT_EQ(format.sets[1].set, 3u);
    std::vector<uint32_t> bindings;
    for (const ResourceBinding &b : format.sets[1].bindings)
        bindings.push_back(b.binding);
    EXPECT_EQ(bindings, (std::vector<uint32_t>{ 0, 1, 2 }));
    EXPECT_EQ(format.sets[1].bindings[2].stages, 0x11u);
}

TEST(ShaderIntrospection, InvalidCodeIsReportedAndAddsNothing)
{
    for (const std::vector<uint32_t> &code :
         { std::vector<uint32_t>{}, std::vector<uint32_t>{ 0xdeadbeef, 1, 2, 3, 4, 5 },
           std::vector<uint32_t>{ 0x07230203, 0x00010000 } }) {
        CapturedLog log;
        ResourceFormat format;
        std::vector<ShaderAttribute> attributes;
        introspectShaderModule(code, format, log.logger, &attributes);
        EXPECT_TRUE(format.sets.empty());
        EXPECT_TRUE(format.pushConstantRanges.empty());
        EXPECT_TRUE(attributes.empty());
        EXPECT_NE(log.text.str().find("Shader Module Introspection Failed: "), std::string::npos) << log.text.str();
    }
}
