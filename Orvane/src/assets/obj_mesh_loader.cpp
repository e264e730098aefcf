#include <Orvane/assets/obj_mesh_loader.h>

#include <Orvane/assets/mesh.h>
#include <Orvane/assets/polygon_triangulation.h>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <tiny_obj_loader.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <numeric>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Orvane {

namespace {

struct ObjVertex {
    glm::vec3 position{ 0.0f };
    glm::vec3 normal{ 0.0f };
    glm::vec2 texCoord{ 0.0f };

    // Exact float comparison: a NaN never matches, so a vertex holding one is always a new vertex.
    bool operator==(const ObjVertex &other) const noexcept
    {
        return position == other.position && normal == other.normal && texCoord == other.texCoord;
    }
};
static_assert(sizeof(ObjVertex) == 32, "the vertex buffer holds 32 bytes per vertex");

struct ObjVertexHash {
    std::size_t operator()(const ObjVertex &vertex) const noexcept
    {
        // std::hash<float> gives +0 and -0 one hash, as equality demands.
        const float components[] = { vertex.position.x, vertex.position.y, vertex.position.z, vertex.normal.x,
                                     vertex.normal.y,   vertex.normal.z,   vertex.texCoord.x, vertex.texCoord.y };
        std::size_t seed = 0;
        for (float component : components)
            seed ^= std::hash<float>{}(component) + 0x9e3779b9 + (seed << 6) + (seed >> 2);
        return seed;
    }
};

[[noreturn]] void throwForFile(const std::string &path, const std::string &text)
{
    // The loader's own messages name the file only when it cannot be opened.
    if (text.find(path) != std::string::npos)
        throw std::runtime_error(text);
    throw std::runtime_error(path + ": " + text);
}

// Checks an index into a flat array of `width`-float records; -1 (absent) is allowed when `optional`.
bool indexInRange(int index, std::size_t floatCount, std::size_t width, bool optional)
{
    if (index < 0)
        return optional && index == -1;
    return std::size_t(index) < floatCount / width;
}

// Why `text` cannot be OBJ text, or null. The parser reads bytes as UTF-8: text in UTF-16 or UTF-32
// would parse into nothing and be reported as a file without faces.
const char *notUtf8Reason(std::string_view text)
{
    using namespace std::string_view_literals;
    static constexpr std::pair<std::string_view, const char *> byteOrderMarks[] = {
        // UTF-32 first: its little-endian mark begins with UTF-16's.
        { "\xFF\xFE\x00\x00"sv, "it starts with a UTF-32 (little-endian) byte-order mark" },
        { "\x00\x00\xFE\xFF"sv, "it starts with a UTF-32 (big-endian) byte-order mark" },
        { "\xFF\xFE"sv, "it starts with a UTF-16 (little-endian) byte-order mark" },
        { "\xFE\xFF"sv, "it starts with a UTF-16 (big-endian) byte-order mark" },
    };
    for (const auto &[mark, reason] : byteOrderMarks) {
        if (text.starts_with(mark))
            return reason;
    }
    // UTF-8 text never holds a NUL byte; UTF-16 and UTF-32 text without a mark, and binary files, do.
    if (text.find('\0') != std::string_view::npos)
        return "it holds NUL bytes (UTF-16 or UTF-32 text, or binary data)";
    return nullptr;
}

// The whole file as text, without a UTF-8 byte-order mark; throws when it cannot be read or is not UTF-8.
std::string readObjText(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("Cannot open file [" + path + "]\n");
    std::ostringstream contents;
    // Streaming an empty file would mark `contents` failed; there is nothing to copy then.
    if (file.peek() != std::ifstream::traits_type::eof())
        contents << file.rdbuf();
    std::string text = std::move(contents).str();
    if (const char *reason = notUtf8Reason(text))
        throwForFile(path, std::string("the file is not UTF-8 text; ") + reason);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    return text;
}

void checkFaceCorners(const std::string &path, const tinyobj::attrib_t &attrib, std::span<const tinyobj::index_t> face,
                      const std::string &warning)
{
    for (const auto &corner : face) {
        // The loader only warns about references past the end of its arrays.
        if (!indexInRange(corner.vertex_index, attrib.vertices.size(), 3, false) ||
            !indexInRange(corner.normal_index, attrib.normals.size(), 3, true) ||
            !indexInRange(corner.texcoord_index, attrib.texcoords.size(), 2, true))
            throwForFile(path,
                         "a face refers to a vertex, normal or texture coordinate that does not exist\n" + warning);
    }
}

glm::vec3 positionOf(const tinyobj::attrib_t &attrib, const tinyobj::index_t &corner)
{
    const std::size_t v = std::size_t(corner.vertex_index);
    return { attrib.vertices[3 * v], attrib.vertices[3 * v + 1], attrib.vertices[3 * v + 2] };
}

ObjVertex vertexOf(const tinyobj::attrib_t &attrib, const tinyobj::index_t &corner)
{
    ObjVertex vertex;
    vertex.position = positionOf(attrib, corner);
    if (corner.normal_index >= 0) {
        const std::size_t n = std::size_t(corner.normal_index);
        vertex.normal = { attrib.normals[3 * n], attrib.normals[3 * n + 1], attrib.normals[3 * n + 2] };
    }
    if (corner.texcoord_index >= 0) {
        const std::size_t t = std::size_t(corner.texcoord_index);
        // Images are stored top row first; OBJ texture coordinates count v from the bottom.
        vertex.texCoord = { attrib.texcoords[2 * t], 1.0f - attrib.texcoords[2 * t + 1] };
    }
    return vertex;
}

// Collects the triangles of all faces as an indexed list, equal corners sharing one vertex.
class TriangleListBuilder
{
public:
    explicit TriangleListBuilder(const tinyobj::attrib_t &attrib)
        : m_attrib(attrib)
    {
    }

    void addFace(std::span<const tinyobj::index_t> face)
    {
        if (face.size() == 3) {
            for (const auto &corner : face)
                addCorner(corner);
            return;
        }
        // Polygons are split here: the parser's own triangulation drops or misplaces triangles.
        m_positions.clear();
        for (const auto &corner : face)
            m_positions.push_back(positionOf(m_attrib, corner));
        m_polygonTriangles.clear();
        triangulatePolygon(m_positions, m_polygonTriangles);
        for (uint32_t cornerIndex : m_polygonTriangles)
            addCorner(face[cornerIndex]);
    }

    std::vector<ObjVertex> &vertices() { return m_vertices; }
    std::vector<uint32_t> &indices() { return m_indices; }

private:
    void addCorner(const tinyobj::index_t &corner)
    {
        const ObjVertex vertex = vertexOf(m_attrib, corner);
        const auto [it, inserted] = m_uniqueVertices.try_emplace(vertex, uint32_t(m_vertices.size()));
        if (inserted)
            m_vertices.push_back(vertex);
        m_indices.push_back(it->second);
    }

    const tinyobj::attrib_t &m_attrib;
    std::vector<ObjVertex> m_vertices;
    std::vector<uint32_t> m_indices;
    std::unordered_map<ObjVertex, uint32_t, ObjVertexHash> m_uniqueVertices;
    std::vector<glm::vec3> m_positions;
    std::vector<uint32_t> m_polygonTriangles;
};

} // namespace

TbGpu::VertexOptions objMeshVertexFormat()
{
    TbGpu::VertexOptions format;
    format.buffers.push_back({ 0, 32, TbGpu::VertexRate::Vertex });
    format.attributes.push_back({ 0, 0, TbGpu::Format::R32G32B32_SFLOAT, 0 });
    format.attributes.push_back({ 1, 0, TbGpu::Format::R32G32B32_SFLOAT, 12 });
    format.attributes.push_back({ 2, 0, TbGpu::Format::R32G32_SFLOAT, 24 });
    return format;
}

void loadObjMesh(const std::string &path, Mesh &mesh)
{
    std::istringstream text(readObjText(path));
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    // Material files are looked up relative to the working directory; their contents are not used.
    tinyobj::MaterialFileReader materialReader("");
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, &text, &materialReader, false, true))
        throwForFile(path, warning + error);

    TriangleListBuilder builder(attrib);
    for (const auto &shape : shapes) {
        const auto &corners = shape.mesh.indices;
        const auto &faceSizes = shape.mesh.num_face_vertices;
        // The parser counts the corners of a face in one byte.
        if (std::accumulate(faceSizes.begin(), faceSizes.end(), std::size_t(0)) != corners.size())
            throwForFile(path, "a face has more than 255 corners\n" + warning);
        std::size_t first = 0;
        for (const std::size_t faceSize : faceSizes) {
            const auto face = std::span(corners).subspan(first, faceSize);
            checkFaceCorners(path, attrib, face, warning);
            builder.addFace(face);
            first += faceSize;
        }
    }

    if (builder.indices().empty())
        throwForFile(path, "no faces found\n" + warning + error);

    const auto &vertices = builder.vertices();
    std::vector<uint8_t> vertexBytes(vertices.size() * sizeof(ObjVertex));
    std::memcpy(vertexBytes.data(), vertices.data(), vertexBytes.size());

    mesh.setVertices({ std::move(vertexBytes) });
    mesh.setIndices(builder.indices());
    mesh.setVertexFormat(objMeshVertexFormat());
}

} // namespace Orvane
