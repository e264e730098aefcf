#include <Orvane/assets/mesh.h>

#include <Orvane/assets/buffer.h>

#include <cstring>

namespace Orvane {

Mesh::Mesh()
{
    vertexBuffers.valueChanged().connect([this](const std::vector<Buffer *> &) { changed.emit(this); });
    vertexBufferOffsets.valueChanged().connect([this](const std::vector<uint64_t> &) { changed.emit(this); });
    indexBuffer.valueChanged().connect([this](Buffer *const &) { changed.emit(this); });
    vertexFormat.valueChanged().connect([this](const TbGpu::VertexOptions &) { changed.emit(this); });
}

Mesh::~Mesh()
{
    destroyed.emit(this);
}

void Mesh::setVertices(const std::vector<std::vector<uint8_t>> &buffersData)
{
    if (vertexBuffers.isReadOnly())
        throw TbBindings::ReadOnlyProperty();
    std::vector<Buffer *> buffers;
    buffers.reserve(buffersData.size());
    for (const auto &bytes : buffersData) {
        auto *buffer = addChild(std::make_unique<VertexBuffer>());
        buffer->data = bytes;
        buffers.push_back(buffer);
    }
    vertexBuffers = std::move(buffers);
}

void Mesh::setIndices(const std::vector<uint32_t> &indices)
{
    if (indexBuffer.isReadOnly())
        throw TbBindings::ReadOnlyProperty();
    std::vector<uint8_t> bytes(indices.size() * sizeof(uint32_t));
    if (!indices.empty())
        std::memcpy(bytes.data(), indices.data(), bytes.size());
    auto *buffer = addChild(std::make_unique<IndexBuffer>());
    buffer->data = std::move(bytes);
    indexBuffer = buffer;
}

void Mesh::setVertexFormat(const TbGpu::VertexOptions &format)
{
    vertexFormat = format;
}

} // namespace Orvane
