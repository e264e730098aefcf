#include <Orvane/assets/ObjMeshLoader.h>

#include <Orvane/assets/Mesh.h>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <tiny_obj_loader.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <unordered_map>
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
        const float components[] = { vertex.position.x, vertex.position.y, vertex.position.z,
                                     vertex.normal.x,   vertex.normal.y,   vertex.normal.z,
                                     vertex.texCoord.x, vertex.texCoord.y };
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
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, path.c_str(), nullptr, true, true))
        throwForFile(path, warning + error);

    const auto &positions = attrib.vertices;
    const auto &normals = attrib.normals;
    const auto &texCoords = attrib.texcoords;

    std::vector<ObjVertex> vertices;
    std::vector<uint32_t> indices;
    std::unordered_map<ObjVertex, uint32_t, ObjVertexHash> uniqueVertices;

    for (const auto &shape : shapes) {
        for (const auto &corner : shape.mesh.indices) {
            // The loader only warns about references past the end of its arrays.
            if (!indexInRange(corner.vertex_index, positions.size(), 3, false) ||
                !indexInRange(corner.normal_index, normals.size(), 3, true) ||
                !indexInRange(corner.texcoord_index, texCoords.size(), 2, true))
                throwForFile(path, "a face refers to a vertex, normal or texture coordinate that does not exist\n" +
                                     warning);

            ObjVertex vertex;
            const std::size_t v = std::size_t(corner.vertex_index);
            vertex.position = { positions[3 * v], positions[3 * v + 1], positions[3 * v + 2] };
            if (corner.normal_index >= 0) {
                const std::size_t n = std::size_t(corner.normal_index);
                vertex.normal = { normals[3 * n], normals[3 * n + 1], normals[3 * n + 2] };
            }
            if (corner.texcoord_index >= 0) {
                const std::size_t t = std::size_t(corner.texcoord_index);
                // Images are stored top row first; OBJ texture coordinates count v from the bottom.
                vertex.texCoord = { texCoords[2 * t], 1.0f - texCoords[2 * t + 1] };
            }

            const auto [it, inserted] = uniqueVertices.try_emplace(vertex, uint32_t(vertices.size()));
            if (inserted)
                vertices.push_back(vertex);
            indices.push_back(it->second);
        }
    }

    if (indices.empty())
        throwForFile(path, "no faces found\n" + warning + error);

    std::vector<uint8_t> vertexBytes(vertices.size() * sizeof(ObjVertex));
    std::memcpy(vertexBytes.data(), vertices.data(), vertexBytes.size());

    mesh.setVertices({ std::move(vertexBytes) });
    mesh.setIndices(indices);
    mesh.setVertexFormat(objMeshVertexFormat());
}

} // namespace Orvane
