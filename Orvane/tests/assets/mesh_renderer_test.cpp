#include "asset_test_support.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/obj_mesh_loader.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/core/entity.h>

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <cstring>
#include <limits>

using namespace Orvane;
using Info = TriangleParsingInfo;

namespace {

std::string testShader(const std::string &name)
{
    return std::string(ASSET_TEST_SHADER_DIR) + "/" + name + ".spv";
}

template<typename T>
std::vector<uint8_t> bytesOf(const std::vector<T> &values)
{
    std::vector<uint8_t> bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

// Positions only, three floats each, at binding 0 location 0.
TbGpu::VertexOptions positionFormat(TbGpu::Format format = TbGpu::Format::R32G32B32_SFLOAT, uint32_t stride = 12)
{
    return { { { 0, stride, TbGpu::VertexRate::Vertex } }, { { 0, 0, format, 0 } } };
}

// The eight corners of the box from (0, 0, 0) to (2, 2, 2).
std::vector<float> cubeCorners()
{
    std::vector<float> corners;
    for (int i = 0; i < 8; ++i) {
        corners.push_back(float((i & 1) * 2));
        corners.push_back(float(((i >> 1) & 1) * 2));
        corners.push_back(float(((i >> 2) & 1) * 2));
    }
    return corners;
}

void expectSphere(const BoundingSphere &sphere, glm::vec3 center, float radius)
{
    EXPECT_NEAR(sphere.center.x, center.x, 1e-5f);
    EXPECT_NEAR(sphere.center.y, center.y, 1e-5f);
    EXPECT_NEAR(sphere.center.z, center.z, 1e-5f);
    EXPECT_NEAR(sphere.radius, radius, 1e-5f);
}

struct RendererFixture : ::testing::Test {
    SpirVShaderProgram program;
    Material material;
    Mesh mesh;
    MeshRenderer renderer;
    int changes = 0;

    RendererFixture()
    {
        program.vertexShader = testShader("position.vert");
        material.shaderProgram = &program;
        renderer.changed.connect([this](MeshRenderer *emitter) {
            EXPECT_EQ(emitter, &renderer);
            ++changes;
        });
    }

    void useMesh(const std::vector<uint8_t> &vertexData, const TbGpu::VertexOptions &format)
    {
        mesh.setVertices({ vertexData });
        mesh.setVertexFormat(format);
        renderer.mesh = &mesh;
        renderer.material = &material;
    }
};

TEST(MeshRendererScene, SceneProgramAndCottageGiveTheInterleavedPositions)
{
    SpirVShaderProgram program;
    program.vertexShader = std::string(SCENE_SPIRV_DIR) + "/multiview-scene.vert.spv";
    program.fragmentShader = std::string(SCENE_SPIRV_DIR) + "/multiview-scene.frag.spv";
    Material material;
    material.shaderProgram = &program;
    Mesh mesh;
    loadObjMesh(std::string(SCENE_SOURCE_DIR) + "/cottage.obj", mesh);
    MeshRenderer renderer;
    renderer.mesh = &mesh;
    renderer.material = &material;

    EXPECT_EQ(renderer.triangleParsingInfo(), (Info{ TbGpu::Format(106), 0, 0, 32, true }));
    const BoundingSphere sphere = renderer.localBoundingSphere();
    EXPECT_GT(sphere.radius, 1.0f);
    EXPECT_LT(sphere.radius, 100.0f);
}

TEST_F(RendererFixture, DefaultsAndTheEmptyParsingInfo)
{
    EXPECT_EQ(MeshRenderer::emptyParsingInfo(), (Info{ TbGpu::Format(106), -1, 0, 0, false }));
    EXPECT_EQ(renderer.triangleParsingInfo(), MeshRenderer::emptyParsingInfo());
    EXPECT_TRUE(renderer.boundingVolumeEnabled.get());
    EXPECT_TRUE(renderer.drawCommands.get().empty());
    EXPECT_TRUE(renderer.renderStateSet.get().empty());
    expectSphere(renderer.localBoundingSphere(), glm::vec3(0.0f), 0.0f);
}

TEST_F(RendererFixture, ExplicitBoxGivesItsSphere)
{
    renderer.localBoundingBoxMin = glm::vec3(-1.0f);
    renderer.localBoundingBoxMax = glm::vec3(1.0f);
    expectSphere(renderer.localBoundingSphere(), glm::vec3(0.0f), std::sqrt(3.0f));
    // One non-zero component is enough, even with vertex data present.
    useMesh(bytesOf(cubeCorners()), positionFormat());
    renderer.localBoundingBoxMin = glm::vec3(0.0f);
    renderer.localBoundingBoxMax = glm::vec3(4.0f, 0.0f, 0.0f);
    expectSphere(renderer.localBoundingSphere(), glm::vec3(2.0f, 0.0f, 0.0f), 2.0f);
}

TEST_F(RendererFixture, CubeInTheVertexDataGivesItsSphere)
{
    useMesh(bytesOf(cubeCorners()), positionFormat());
    EXPECT_EQ(renderer.triangleParsingInfo(), (Info{ TbGpu::Format(106), 0, 0, 12, false }));
    expectSphere(renderer.localBoundingSphere(), glm::vec3(1.0f), std::sqrt(3.0f));
}

TEST_F(RendererFixture, IntegerPositionsAreConvertedToFloat)
{
    // Three int16 components in an 8-byte vertex, the position after two bytes of something else.
    std::vector<int16_t> data{ 0, -4, 2, 6, 0, 8, -2, 0 };
    TbGpu::VertexOptions format{ { { 0, 8, TbGpu::VertexRate::Vertex } },
                                 { { 0, 0, TbGpu::Format::R16G16B16_SINT, 2 } } };
    useMesh(bytesOf(data), format);
    EXPECT_EQ(renderer.triangleParsingInfo(), (Info{ TbGpu::Format::R16G16B16_SINT, 0, 2, 8, false }));
    // Vertices (-4, 2, 6) and (8, -2, 0).
    expectSphere(renderer.localBoundingSphere(), glm::vec3(2.0f, 0.0f, 3.0f), std::sqrt(144.0f + 16.0f + 36.0f) / 2.0f);
}

TEST_F(RendererFixture, DrawCommandsWithOffsetsReadOnlyTheirVertices)
{
    // Twenty vertices at (i, -i, 0); the index buffer 0..5 and a command reading indices 3..5 plus 10.
    std::vector<float> positions;
    for (int i = 0; i < 20; ++i)
        positions.insert(positions.end(), { float(i), float(-i), 0.0f });
    useMesh(bytesOf(positions), positionFormat());
    mesh.setIndices({ 0, 1, 2, 3, 4, 5 });
    EXPECT_TRUE(renderer.triangleParsingInfo().indexed);

    MeshRenderer::DrawCommand command;
    command.count = 3;
    command.first = 3;
    command.vertexOffset = 10;
    renderer.drawCommands = std::vector<MeshRenderer::DrawCommand>{ command };
    // Vertices 13, 14, 15.
    expectSphere(renderer.localBoundingSphere(), glm::vec3(14.0f, -14.0f, 0.0f), std::sqrt(8.0f) / 2.0f);

    // Without indices the command reads vertices first .. first + count - 1; vertexOffset is for indices.
    mesh.indexBuffer = nullptr;
    expectSphere(renderer.localBoundingSphere(), glm::vec3(4.0f, -4.0f, 0.0f), std::sqrt(8.0f) / 2.0f);
}

TEST_F(RendererFixture, AnEmptyDefaultDrawReadsNothing)
{
    useMesh({}, positionFormat());
    const BoundingSphere sphere = renderer.localBoundingSphere();
    expectSphere(BoundingSphere{ sphere.center, 0.0f }, glm::vec3(0.0f), 0.0f);
    EXPECT_TRUE(std::isinf(sphere.radius));
}

TEST_F(RendererFixture, VerticesOutsideTheDataAreSkippedNotRead)
{
    useMesh(bytesOf(cubeCorners()), positionFormat());
    mesh.setIndices({ 0, 7, 1000, 0xFFFFFFFF });
    MeshRenderer::DrawCommand command;
    command.count = 6; // two past the end of the index buffer
    renderer.drawCommands = std::vector<MeshRenderer::DrawCommand>{ command };
    Orvane::Test::LogCapture log;
    expectSphere(renderer.localBoundingSphere(), glm::vec3(1.0f), std::sqrt(3.0f));
    EXPECT_EQ(log.count("Skipped 4 vertices outside the mesh data while computing the mesh local BV"), 1);

    command.count = 1;
    command.vertexOffset = -5; // index 0 - 5
    renderer.drawCommands = std::vector<MeshRenderer::DrawCommand>{ command };
    const BoundingSphere nothing = renderer.localBoundingSphere();
    EXPECT_TRUE(std::isinf(nothing.radius));
}

TEST_F(RendererFixture, DisabledBoundingVolumeGivesTheEmptyValue)
{
    useMesh(bytesOf(cubeCorners()), positionFormat());
    EXPECT_EQ(renderer.triangleParsingInfo().vertexBufferIndex, 0);
    renderer.boundingVolumeEnabled = false;
    EXPECT_EQ(renderer.triangleParsingInfo(), MeshRenderer::emptyParsingInfo());
    expectSphere(renderer.localBoundingSphere(), glm::vec3(0.0f), 0.0f);
    renderer.boundingVolumeEnabled = true;
    EXPECT_EQ(renderer.triangleParsingInfo().vertexBufferIndex, 0);
}

TEST_F(RendererFixture, ReplacingTheMeshRecomputesTheCache)
{
    useMesh(bytesOf(cubeCorners()), positionFormat());
    EXPECT_EQ(renderer.triangleParsingInfo().stride, 12u);
    Mesh other;
    other.setVertices({ std::vector<uint8_t>(64) });
    other.setVertexFormat(positionFormat(TbGpu::Format::R32G32B32_SFLOAT, 16));
    renderer.mesh = &other;
    EXPECT_EQ(renderer.triangleParsingInfo().stride, 16u);
    // A change of the current mesh's format is seen too.
    other.setVertexFormat(positionFormat(TbGpu::Format::R32G32B32_SFLOAT, 32));
    EXPECT_EQ(renderer.triangleParsingInfo().stride, 32u);
}

// Each lookup that can fail, with the warning it writes to the default logger.
struct LookupFailure {
    const char *name;
    const char *shader;
    TbGpu::VertexOptions format;
    std::size_t vertexBuffers;
    const char *message;
};

void PrintTo(const LookupFailure &value, std::ostream *out)
{
    *out << value.name;
}

class ParsingInfoFailureTest : public ::testing::TestWithParam<LookupFailure>
{ };

TEST_P(ParsingInfoFailureTest, LogsAndGivesTheEmptyValue)
{
    const LookupFailure &failure = GetParam();
    SpirVShaderProgram program;
    program.vertexShader = testShader(failure.shader);
    Material material;
    material.shaderProgram = &program;
    Mesh mesh;
    mesh.setVertices(std::vector<std::vector<uint8_t>>(failure.vertexBuffers, std::vector<uint8_t>(96)));
    mesh.setVertexFormat(failure.format);
    MeshRenderer renderer;
    renderer.material = &material;
    renderer.mesh = &mesh;

    Orvane::Test::LogCapture log;
    EXPECT_EQ(renderer.triangleParsingInfo(), MeshRenderer::emptyParsingInfo());
    expectSphere(renderer.localBoundingSphere(), glm::vec3(0.0f), 0.0f);
    EXPECT_EQ(log.count(std::string("warning ") + failure.message), 1) << log.text();
    // Cached: asking again logs nothing until something changes.
    renderer.triangleParsingInfo();
    EXPECT_EQ(log.count(failure.message), 1);
    renderer.drawCommands = std::vector<MeshRenderer::DrawCommand>{ MeshRenderer::DrawCommand{} };
    renderer.triangleParsingInfo();
    EXPECT_EQ(log.count(failure.message), 2) << "once per recomputation";
}

INSTANTIATE_TEST_SUITE_P(
        Lookups, ParsingInfoFailureTest,
        ::testing::Values(
                LookupFailure{ "NoVertexPositionInput", "unnamed_position.vert", positionFormat(), 1,
                               "Unable to find vertexPosition attribute to compute mesh local BV" },
                LookupFailure{
                        "LocationMissingFromFormat",
                        "position.vert",
                        { { { 0, 12, TbGpu::VertexRate::Vertex } }, { { 1, 0, TbGpu::Format(106), 0 } } },
                        1,
                        "Unable to find vertexPosition attribute in vertexFormat for location 0. Unable to compute "
                        "mesh local BV" },
                LookupFailure{ "BindingBeyondTheLayouts",
                               "position.vert",
                               { { { 0, 12, TbGpu::VertexRate::Vertex } }, { { 0, 3, TbGpu::Format(106), 0 } } },
                               1,
                               "Unable to find binding for vertexPosition attribute in vertexFormat for binding idx 3. "
                               "Unable to compute mesh local BV" },
                LookupFailure{
                        "UnexpectedFormat", "position.vert", positionFormat(TbGpu::Format(109)), 1,
                        "VertexPosition attribute has unexpected Format type 109. Unable to compute mesh local BV" },
                LookupFailure{
                        "NoVertexBufferForTheBinding",
                        "position.vert",
                        { { { 2, 12, TbGpu::VertexRate::Vertex } }, { { 0, 0, TbGpu::Format(106), 0 } } },
                        2,
                        "Unable to find vertex data for vertexPosition attribute with binding 2. Unable to compute "
                        "mesh local BV" }),
        [](const ::testing::TestParamInfo<LookupFailure> &info) { return std::string(info.param.name); });

TEST_F(RendererFixture, EveryRelevantChangeIsAnnouncedOnce)
{
    Entity entity;
    auto *attached = entity.createComponent<MeshRenderer>();
    int attachedChanges = 0;
    attached->changed.connect([&](MeshRenderer *) { ++attachedChanges; });
    attached->drawCommands = std::vector<MeshRenderer::DrawCommand>(1);
    EXPECT_EQ(attachedChanges, 1);

    renderer.mesh = &mesh;
    EXPECT_EQ(changes, 1);
    renderer.material = &material;
    EXPECT_EQ(changes, 2);
    mesh.setVertexFormat(positionFormat());
    EXPECT_EQ(changes, 3) << "the mesh's change is forwarded";
    material.setTexture(4, 0, nullptr);
    EXPECT_EQ(changes, 4) << "the material's change is forwarded";
    program.fragmentShader = testShader("sampler_at_zero.frag");
    EXPECT_EQ(changes, 5) << "a program reload reaches the renderer through the material";
    renderer.drawCommands = std::vector<MeshRenderer::DrawCommand>(2);
    EXPECT_EQ(changes, 6);
    renderer.entity = &entity;
    EXPECT_EQ(changes, 7);

    // Bounding box settings and the switch are read on demand; they announce nothing.
    renderer.localBoundingBoxMax = glm::vec3(1.0f);
    renderer.boundingVolumeEnabled = false;
    EXPECT_EQ(changes, 7);

    Mesh other;
    renderer.mesh = &other;
    EXPECT_EQ(changes, 8);
    mesh.setVertexFormat({});
    EXPECT_EQ(changes, 8) << "the replaced mesh is no longer followed";
    renderer.material = nullptr;
    EXPECT_EQ(changes, 9);
    material.setTexture(4, 1, nullptr);
    EXPECT_EQ(changes, 9) << "nor the replaced material";
}

struct BlendState {
    bool enabled = false;
    bool operator==(const BlendState &) const = default;
    uint64_t hash() const { return enabled ? 1 : 2; }
};

TEST_F(RendererFixture, RenderStateSetChangesAreAnnouncedOnce)
{
    RenderStateSet states;
    states.setState(BlendState{ true });
    renderer.renderStateSet = states;
    EXPECT_EQ(changes, 1);
    renderer.renderStateSet = states;
    EXPECT_EQ(changes, 1) << "an equal set is no change";
    // The set's own signal: a change made in place on the set the property holds.
    const_cast<RenderStateSet &>(renderer.renderStateSet.get()).setState(BlendState{ false });
    EXPECT_EQ(changes, 2);
    renderer.renderStateSet = RenderStateSet();
    EXPECT_EQ(changes, 3);
    states.setState(BlendState{ false });
    EXPECT_EQ(changes, 3) << "the set given earlier was copied, not followed";
}

TEST_F(RendererFixture, DestroyedMeshAndMaterialAreLetGo)
{
    auto ownMesh = std::make_unique<Mesh>();
    auto ownMaterial = std::make_unique<Material>();
    renderer.mesh = ownMesh.get();
    renderer.material = ownMaterial.get();
    changes = 0;
    ownMesh.reset();
    EXPECT_EQ(renderer.mesh.get(), nullptr);
    ownMaterial.reset();
    EXPECT_EQ(renderer.material.get(), nullptr);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(renderer.triangleParsingInfo(), MeshRenderer::emptyParsingInfo());
}

TEST(MeshRendererLifetime, DestroyedFirstAndNothingReachesADeadRenderer)
{
    Mesh mesh;
    Material material;
    auto renderer = std::make_unique<MeshRenderer>();
    renderer->mesh = &mesh;
    renderer->material = &material;
    bool seen = false;
    renderer->destroyed.connect([&](MeshRenderer *emitter) { seen = emitter->mesh.get() == &mesh; });
    renderer.reset();
    EXPECT_TRUE(seen);
    mesh.setIndices({ 1 });
    material.setTexture(0, 0, nullptr);
}

} // namespace
