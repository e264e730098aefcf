#include "asset_test_support.h"

#include <Orvane/assets/obj_mesh_loader.h>
#include <Orvane/assets/shader_program.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Orvane;

namespace {

std::string testShader(const std::string &name)
{
    return std::string(ASSET_TEST_SHADER_DIR) + "/" + name + ".spv";
}

std::string sceneShader(const std::string &name)
{
    return std::string(SCENE_SPIRV_DIR) + "/" + name;
}

const ResourceSet *findSet(const ShaderProgram &program, uint32_t number)
{
    const auto &sets = program.resourceFormat().sets;
    const auto it = std::find_if(sets.begin(), sets.end(), [&](const ResourceSet &set) { return set.set == number; });
    return it == sets.end() ? nullptr : &*it;
}

struct ProgramFixture : ::testing::Test {
    SpirVShaderProgram program;
    int changes = 0;

    ProgramFixture()
    {
        program.changed.connect([this](ShaderProgram *emitter) {
            EXPECT_EQ(emitter, &program);
            ++changes;
        });
    }
};

TEST_F(ProgramFixture, SceneProgramLoadsItsStagesAndLayout)
{
    program.vertexShader = sceneShader("multiview-scene.vert.spv");
    EXPECT_EQ(changes, 1);
    program.fragmentShader = sceneShader("multiview-scene.frag.spv");
    EXPECT_EQ(changes, 2) << "each path change reloads once";

    EXPECT_FALSE(program.vertexShaderCode().empty());
    EXPECT_FALSE(program.fragmentShaderCode().empty());
    EXPECT_EQ(program.vertexShaderCode()[0], 0x07230203u);
    EXPECT_TRUE(program.computeShaderCode().empty());

    const std::vector<ShaderAttribute> expected{ { 0, TbGpu::Format(106), "vertexPosition" },
                                                 { 1, TbGpu::Format(106), "vertexNormal" },
                                                 { 2, TbGpu::Format(103), "vertexTexCoord" } };
    auto attributes = program.vertexAttributes();
    std::sort(attributes.begin(), attributes.end(),
              [](const auto &a, const auto &b) { return a.location < b.location; });
    EXPECT_EQ(attributes, expected);

    // Camera, lights, model, material, texture: sets 0 to 4 in ascending order.
    const auto &sets = program.resourceFormat().sets;
    ASSERT_EQ(sets.size(), 5u);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(sets[i].set, i);
    EXPECT_EQ(findSet(program, 2)->bindings.at(0).type, 8u) << "the model block is a dynamic uniform buffer";
    EXPECT_EQ(findSet(program, 3)->bindings.at(0).block.size, 64u);
    EXPECT_EQ(findSet(program, 4)->bindings.at(0).type, 1u);

    const TbGpu::VertexOptions format = objMeshVertexFormat();
    EXPECT_TRUE(program.isCompatibleWithVertexFormat(&format));
    EXPECT_FALSE(program.isCompatibleWithVertexFormat(nullptr));
}

TEST_F(ProgramFixture, ComputeAloneGivesItsLayoutAndNoAttributes)
{
    program.computeShader = testShader("fill.comp");
    EXPECT_TRUE(program.vertexAttributes().empty());
    const auto &sets = program.resourceFormat().sets;
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].set, 2u);
    ASSERT_EQ(sets[0].bindings.size(), 1u);
    EXPECT_EQ(sets[0].bindings[0].binding, 1u);
    EXPECT_EQ(sets[0].bindings[0].type, 7u);
    EXPECT_EQ(sets[0].bindings[0].stages, 0x20u);
}

TEST_F(ProgramFixture, ComputeMakesIntrospectionIgnoreTheGraphicsStages)
{
    program.vertexShader = sceneShader("multiview-scene.vert.spv");
    program.fragmentShader = sceneShader("multiview-scene.frag.spv");
    program.computeShader = testShader("fill.comp");
    EXPECT_EQ(changes, 3);
    // The code of every stage is loaded, but only the compute stage is introspected.
    EXPECT_FALSE(program.vertexShaderCode().empty());
    EXPECT_TRUE(program.vertexAttributes().empty());
    ASSERT_EQ(program.resourceFormat().sets.size(), 1u);
    EXPECT_EQ(program.resourceFormat().sets[0].set, 2u);
}

TEST_F(ProgramFixture, VertexIndexAloneIsCompatibleWithAnyFormatAndNone)
{
    program.vertexShader = testShader("vertex_index.vert");
    EXPECT_FALSE(program.vertexShaderCode().empty());
    const TbGpu::VertexOptions anyFormat = objMeshVertexFormat();
    const TbGpu::VertexOptions emptyFormat;
    EXPECT_TRUE(program.isCompatibleWithVertexFormat(&anyFormat));
    EXPECT_TRUE(program.isCompatibleWithVertexFormat(&emptyFormat));
    EXPECT_TRUE(program.isCompatibleWithVertexFormat(nullptr));
}

TEST_F(ProgramFixture, FormatMismatchWarnsOnceAndMissingLocationIsSilent)
{
    Orvane::Test::LogCapture log("shader program");
    program.vertexShader = testShader("texcoord.vert");

    TbGpu::VertexOptions wrongFormat = objMeshVertexFormat();
    wrongFormat.attributes[2].format = TbGpu::Format(106);
    EXPECT_FALSE(program.isCompatibleWithVertexFormat(&wrongFormat));
    EXPECT_EQ(log.count("Shader Attribute (name: vertexTexCoord, location: 2) expects format: 103 but VertexFormat "
                        "attribute at matching location has format: 106"),
              1);
    EXPECT_EQ(log.count("warning"), 1);

    log.clear();
    TbGpu::VertexOptions withoutLocation2 = objMeshVertexFormat();
    withoutLocation2.attributes.pop_back();
    EXPECT_FALSE(program.isCompatibleWithVertexFormat(&withoutLocation2));
    EXPECT_EQ(log.text(), "");

    // Extra attributes the shader does not read do not matter.
    TbGpu::VertexOptions extra = objMeshVertexFormat();
    extra.attributes.push_back({ 7, 0, TbGpu::Format(37), 0 });
    EXPECT_TRUE(program.isCompatibleWithVertexFormat(&extra));
}

TEST_F(ProgramFixture, IncompatibleSetsAreLoggedAndKept)
{
    Orvane::Test::LogCapture log("shader program");
    program.vertexShader = testShader("position.vert");
    program.fragmentShader = testShader("sampler_at_zero.frag");
    EXPECT_EQ(log.count("critical Found multiple incompatible descriptor sets with set number = 0"), 1);
    const auto &sets = program.resourceFormat().sets;
    EXPECT_EQ(std::count_if(sets.begin(), sets.end(), [](const ResourceSet &set) { return set.set == 0; }), 2);
}

TEST_F(ProgramFixture, MissingFileLeavesTheStageEmptyAndStillAnnounces)
{
    Orvane::Test::LogCapture log("shader program");
    program.vertexShader = testShader("vertex_index.vert");
    program.fragmentShader = "/nonexistent/missing.frag.spv";
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(log.count("warning Failed to open shader file /nonexistent/missing.frag.spv"), 1);
    EXPECT_TRUE(program.fragmentShaderCode().empty());
    EXPECT_FALSE(program.vertexShaderCode().empty()) << "the other stage is kept";
}

TEST_F(ProgramFixture, DumpListsTheAttributes)
{
    program.vertexShader = testShader("position.vert");
    Orvane::Test::LogCapture log("shader program");
    program.dump();
    EXPECT_EQ(log.text(),
              "warning Attributes:\n"
              "warning     Attribute (name: vertexPosition, location: 0, format: 106)\n");
}

TEST(ShaderProgramLogger, IsCreatedAtWarnLevel)
{
    spdlog::drop("shader program");
    SpirVShaderProgram program;
    EXPECT_EQ(program.logger().name(), "shader program");
    EXPECT_EQ(program.logger().level(), spdlog::level::warn);
}

TEST(ShaderProgramLifetime, DestroyedIsAnnouncedFirst)
{
    auto program = std::make_unique<SpirVShaderProgram>();
    program->vertexShader = testShader("position.vert");
    bool codeStillThere = false;
    program->destroyed.connect([&](ShaderProgram *emitter) { codeStillThere = !emitter->vertexShaderCode().empty(); });
    program.reset();
    EXPECT_TRUE(codeStillThere);
}

} // namespace
