#pragma once

#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>
#include <TbGpu/vertex_options.h>

#include <cstdint>
#include <vector>

namespace Orvane {

class Buffer;

// Geometry by reference: vertex buffers, an optional index buffer of 32-bit indices, and the vertex format
// that says how a shader reads the buffers. A mesh does not own the buffers it is given; the ones that
// setVertices() and setIndices() create are its object children.
class Mesh : public TbFoundation::Object
{
public:
    Mesh();
    ~Mesh() override;

    Mesh(const Mesh &) = delete;
    Mesh &operator=(const Mesh &) = delete;

    // Emitted after any of the four properties below gets a new value.
    TbBindings::Signal<Mesh *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<Mesh *> destroyed;

    // Vertex buffer i is bound at vertex binding i.
    TbBindings::Property<std::vector<Buffer *>> vertexBuffers;
    // Byte offset of each vertex buffer when it is bound; a missing entry means 0.
    TbBindings::Property<std::vector<uint64_t>> vertexBufferOffsets;
    // Null for non-indexed drawing.
    TbBindings::Property<Buffer *> indexBuffer{ nullptr };
    TbBindings::Property<TbGpu::VertexOptions> vertexFormat;

    // Creates one vertex buffer per byte array (object children of this mesh) and makes them the vertex
    // buffers. Buffers of earlier calls stay children until the mesh dies.
    void setVertices(const std::vector<std::vector<uint8_t>> &buffersData);
    // Creates an index buffer (an object child) holding `indices` and makes it the index buffer.
    void setIndices(const std::vector<uint32_t> &indices);
    void setVertexFormat(const TbGpu::VertexOptions &format);
};

} // namespace Orvane
