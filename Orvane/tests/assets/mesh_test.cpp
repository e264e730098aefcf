#include "asset_test_support.h"
#include "polygon_fixture.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/obj_mesh_loader.h>

#include <gtest/gtest.h>

#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/vec3.hpp>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <ostream>
#include <set>
#include <sstream>

using namespace Orvane;

namespace {

struct Vertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};

std::vector<Vertex> verticesOf(const Mesh &mesh)
{
    const auto &bytes = mesh.vertexBuffers.get().at(0)->data.get();
    std::vector<Vertex> vertices(bytes.size() / sizeof(Vertex));
    std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(Vertex));
    return vertices;
}

std::vector<uint32_t> indicesOf(const Mesh &mesh)
{
    const auto &bytes = mesh.indexBuffer.get()->data.get();
    std::vector<uint32_t> indices(bytes.size() / 4);
    std::memcpy(indices.data(), bytes.data(), indices.size() * 4);
    return indices;
}

// A unit cube: 8 corners, one normal per side, one texture coordinate per corner of a side.
const char *const CubeObj = R"(# cube
v -1 -1 -1
v  1 -1 -1
v  1  1 -1
v -1  1 -1
v -1 -1  1
v  1 -1  1
v  1  1  1
v -1  1  1
vn 0 0 -1
vn 0 0 1
vn -1 0 0
vn 1 0 0
vn 0 -1 0
vn 0 1 0
vt 0 0
vt 1 0
vt 1 1
vt 0 1
f 1/1/1 4/2/1 3/3/1 2/4/1
f 5/1/2 6/2/2 7/3/2 8/4/2
f 1/1/3 5/2/3 8/3/3 4/4/3
f 2/1/4 3/2/4 7/3/4 6/4/4
f 1/1/5 2/2/5 6/3/5 5/4/5
f 4/1/6 8/2/6 7/3/6 3/4/6
)";

struct MeshFixture : ::testing::Test {
    Orvane::Test::TemporaryDirectory directory;
    Mesh mesh;
    int changes = 0;

    MeshFixture()
    {
        mesh.changed.connect([this](Mesh *emitter) {
            EXPECT_EQ(emitter, &mesh);
            ++changes;
        });
    }
    void load(const std::string &objText) { loadObjMesh(directory.write("model.obj", objText), mesh); }
};

TEST_F(MeshFixture, CubeGivesTwentyFourVerticesAndThirtySixIndices)
{
    load(CubeObj);
    ASSERT_EQ(mesh.vertexBuffers.get().size(), 1u);
    ASSERT_NE(mesh.indexBuffer.get(), nullptr);
    const auto vertices = verticesOf(mesh);
    const auto indices = indicesOf(mesh);
    EXPECT_EQ(vertices.size(), 24u) << "each corner of each side once";
    EXPECT_EQ(indices.size(), 36u) << "two triangles per side";
    EXPECT_EQ(mesh.vertexBuffers.get()[0]->size.get(), 24u * 32u);
    EXPECT_EQ(mesh.indexBuffer.get()->size.get(), 36u * 4u);
    for (uint32_t index : indices)
        EXPECT_LT(index, vertices.size());
    // The first side: two triangles over its four corners (the first four unique vertices), sharing one
    // diagonal.
    const std::set<uint32_t> side(indices.begin(), indices.begin() + 6);
    EXPECT_EQ(side, (std::set<uint32_t>{ 0, 1, 2, 3 }));
    const std::set<uint32_t> first(indices.begin(), indices.begin() + 3);
    const std::set<uint32_t> second(indices.begin() + 3, indices.begin() + 6);
    std::vector<uint32_t> shared;
    std::set_intersection(first.begin(), first.end(), second.begin(), second.end(), std::back_inserter(shared));
    EXPECT_EQ(first.size(), 3u);
    EXPECT_EQ(second.size(), 3u);
    EXPECT_EQ(shared.size(), 2u);
    EXPECT_EQ(mesh.vertexFormat.get(), objMeshVertexFormat());
    EXPECT_EQ(changes, 3) << "vertex buffers, index buffer and vertex format, once each";
}

TEST_F(MeshFixture, VertexFormatIsTheInterleavedLayout)
{
    const TbGpu::VertexOptions format = objMeshVertexFormat();
    ASSERT_EQ(format.buffers.size(), 1u);
    EXPECT_EQ(format.buffers[0], (TbGpu::VertexBufferLayout{ 0, 32, TbGpu::VertexRate::Vertex }));
    ASSERT_EQ(format.attributes.size(), 3u);
    EXPECT_EQ(format.attributes[0], (TbGpu::VertexAttribute{ 0, 0, TbGpu::Format(106), 0 }));
    EXPECT_EQ(format.attributes[1], (TbGpu::VertexAttribute{ 1, 0, TbGpu::Format(106), 12 }));
    EXPECT_EQ(format.attributes[2], (TbGpu::VertexAttribute{ 2, 0, TbGpu::Format(103), 24 }));
}

TEST_F(MeshFixture, SharedCornersShareAVertexUnlessTheNormalDiffers)
{
    load(R"(v 0 0 0
v 1 0 0
v 0 1 0
v 1 1 0
vn 0 0 1
vn 0 1 0
vt 0.25 0.1
f 1/1/1 2/1/1 3/1/1
f 2/1/1 4/1/1 3/1/1
f 1/1/2 2/1/1 4/1/1
)");
    const auto vertices = verticesOf(mesh);
    const auto indices = indicesOf(mesh);
    // Corners 1..4 with normal 1, and corner 1 again with normal 2.
    EXPECT_EQ(vertices.size(), 5u);
    EXPECT_EQ(indices, (std::vector<uint32_t>{ 0, 1, 2, 1, 3, 2, 4, 1, 3 }));
    // V is flipped: 0.1 in the file becomes 0.9.
    EXPECT_FLOAT_EQ(vertices[0].texCoord[0], 0.25f);
    EXPECT_FLOAT_EQ(vertices[0].texCoord[1], 0.9f);
    EXPECT_FLOAT_EQ(vertices[4].normal[1], 1.0f);
}

TEST_F(MeshFixture, TwoShapesMergeIntoOneVertexAndOneIndexBuffer)
{
    load(R"(v 0 0 0
v 1 0 0
v 0 1 0
v 5 5 5
vn 0 0 1
vt 0 0
o first
f 1/1/1 2/1/1 3/1/1
o second
f 2/1/1 4/1/1 3/1/1
)");
    EXPECT_EQ(mesh.vertexBuffers.get().size(), 1u);
    EXPECT_EQ(verticesOf(mesh).size(), 4u);
    EXPECT_EQ(indicesOf(mesh), (std::vector<uint32_t>{ 0, 1, 2, 1, 3, 2 }));
    EXPECT_EQ(mesh.children().size(), 2u) << "the mesh owns the buffers it made";
}

TEST_F(MeshFixture, CornersWithoutNormalOrTextureCoordinateGetZeros)
{
    load("v 1 2 3\nv 4 5 6\nv 7 8 9\nf 1 2 3\n");
    const auto vertices = verticesOf(mesh);
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_FLOAT_EQ(vertices[2].position[2], 9.0f);
    for (float value : { vertices[1].normal[0], vertices[1].normal[1], vertices[1].normal[2], vertices[1].texCoord[0],
                         vertices[1].texCoord[1] })
        EXPECT_EQ(value, 0.0f);
}

TEST_F(MeshFixture, AUtf8ByteOrderMarkIsSkipped)
{
    load("\xEF\xBB\xBFv 1 2 3\nv 4 5 6\nv 7 8 9\nf 1 2 3\n");
    const auto vertices = verticesOf(mesh);
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_FLOAT_EQ(vertices[0].position[0], 1.0f) << "the first line is read";
}

// One face over `outline` in the plane z = 0, written the way exporters write it: a point the outline
// passes twice (the ends of a bridge edge) is one position referred to twice.
std::string polygonObj(const std::vector<glm::dvec2> &outline)
{
    std::ostringstream obj;
    obj.precision(17);
    std::vector<glm::dvec2> positions;
    std::string face = "f";
    for (const glm::dvec2 &point : outline) {
        auto at = std::find(positions.begin(), positions.end(), point);
        if (at == positions.end()) {
            obj << "v " << point.x << ' ' << point.y << " 0\n";
            at = positions.insert(at, point);
        }
        face += ' ' + std::to_string(at - positions.begin() + 1) + "/1/1";
    }
    obj << "vn 0 0 1\nvt 0 0\n" << face << '\n';
    return obj.str();
}

struct PolygonFaceCase {
    const char *name;
    std::vector<glm::dvec2> outline; // counter-clockwise
    std::size_t triangles;
};

void PrintTo(const PolygonFaceCase &value, std::ostream *out)
{
    *out << value.name;
}

class ObjPolygonTest : public MeshFixture, public ::testing::WithParamInterface<PolygonFaceCase>
{ };

TEST_P(ObjPolygonTest, BecomesTrianglesCoveringTheFace)
{
    const PolygonFaceCase &c = GetParam();
    load(polygonObj(c.outline));
    const auto vertices = verticesOf(mesh);
    const auto indices = indicesOf(mesh);
    ASSERT_EQ(indices.size(), 3 * c.triangles);
    double area = 0.0;
    int facingAway = 0;
    for (std::size_t i = 0; i < indices.size(); i += 3) {
        const auto position = [&](std::size_t k) {
            return glm::dvec3(glm::make_vec3(vertices.at(indices[i + k]).position));
        };
        const glm::dvec3 twiceArea = glm::cross(position(1) - position(0), position(2) - position(0));
        facingAway += twiceArea.z <= 0.0;
        area += 0.5 * glm::length(twiceArea);
    }
    EXPECT_EQ(facingAway, 0) << "every triangle faces the way the face does";
    EXPECT_NEAR(area, Orvane::Test::outlineArea(c.outline), 1e-5 * Orvane::Test::outlineArea(c.outline))
            << "no triangle is missing, none covers the hole";
}

INSTANTIATE_TEST_SUITE_P(
        Faces, ObjPolygonTest,
        // The parser's own triangulation made one triangle of this pentagon.
        ::testing::Values(PolygonFaceCase{ "ConvexPentagon", { { 1, 8 }, { 1, 5 }, { 3, 3 }, { 4, 3 }, { 6, 4 } }, 3 },
                          // 66 corners: 32 on each circle and the bridge ends twice.
                          PolygonFaceCase{ "RingAroundAHoleThroughABridge", Orvane::Test::ringOutline(32, 2.0, 1.0),
                                           64 }),
        [](const ::testing::TestParamInfo<PolygonFaceCase> &info) { return std::string(info.param.name); });

TEST(SceneModel, CottageLoads)
{
    Mesh mesh;
    loadObjMesh(std::string(SCENE_SOURCE_DIR) + "/cottage.obj", mesh);
    const auto vertices = verticesOf(mesh);
    const auto indices = indicesOf(mesh);
    EXPECT_EQ(indices.size() % 3, 0u);
    EXPECT_GT(indices.size() / 3, 1000u) << "some thousands of triangles";
    EXPECT_GT(vertices.size(), 100u);
    EXPECT_LT(vertices.size(), indices.size()) << "shared corners were merged";
    for (uint32_t index : indices)
        ASSERT_LT(index, vertices.size());
    for (const Vertex &vertex : vertices) {
        const float length2 = vertex.normal[0] * vertex.normal[0] + vertex.normal[1] * vertex.normal[1] +
                vertex.normal[2] * vertex.normal[2];
        ASSERT_NEAR(length2, 1.0f, 1e-3f) << "every corner has a unit normal";
        ASSERT_GE(vertex.texCoord[0], 0.0f);
        ASSERT_LE(vertex.texCoord[0], 1.0f);
    }
}

TEST(MeshSetters, EachCallMakesNewChildBuffersAndReadOnlyListsThrow)
{
    Mesh mesh;
    mesh.setVertices({ { 1, 2, 3, 4 }, { 5, 6 } });
    ASSERT_EQ(mesh.vertexBuffers.get().size(), 2u);
    EXPECT_EQ(mesh.vertexBuffers.get()[1]->size.get(), 2u);
    EXPECT_EQ(mesh.vertexBuffers.get()[1]->usage.get().toInt(), 0x82u);
    mesh.setIndices({ 7, 0x01020304 });
    EXPECT_EQ(mesh.indexBuffer.get()->data.get(), (std::vector<uint8_t>{ 7, 0, 0, 0, 4, 3, 2, 1 }));
    EXPECT_EQ(mesh.indexBuffer.get()->usage.get().toInt(), 0x42u);
    mesh.setVertices({ { 9 } });
    EXPECT_EQ(mesh.children().size(), 4u) << "earlier buffers stay children";

    TbBindings::Property<std::vector<Buffer *>> source;
    mesh.vertexBuffers = TbBindings::createBinding(source);
    EXPECT_THROW(mesh.setVertices({ { 1 } }), TbBindings::ReadOnlyProperty);
    TbBindings::Property<Buffer *> indexSource{ nullptr };
    mesh.indexBuffer = TbBindings::createBinding(indexSource);
    EXPECT_THROW(mesh.setIndices({ 1 }), TbBindings::ReadOnlyProperty);
    EXPECT_EQ(mesh.children().size(), 4u) << "nothing made when the property is bound";
}

TEST(MeshLifetime, DestroyedComesFirstAndOffsetsAnnounceAChange)
{
    auto mesh = std::make_unique<Mesh>();
    int changes = 0;
    mesh->changed.connect([&](Mesh *) { ++changes; });
    mesh->vertexBufferOffsets = std::vector<uint64_t>{ 16 };
    EXPECT_EQ(changes, 1);
    mesh->setIndices({ 1, 2, 3 });
    bool buffersAlive = false;
    mesh->destroyed.connect([&](Mesh *emitter) { buffersAlive = emitter->indexBuffer.get()->size.get() == 12; });
    mesh.reset();
    EXPECT_TRUE(buffersAlive);
}

} // namespace
