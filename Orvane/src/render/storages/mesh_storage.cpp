#include <Orvane/render/storages/mesh_storage.h>

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/storages/buffer_storage.h>

#include <TbFoundation/logging.h>

namespace Orvane {

namespace {

struct BufferPlacement {
    TbGpu::Handle<TbGpu::Buffer_t> handle;
    std::array<uint64_t, MaxFramesInFlight> offsets{};
};

// Where frame slot s finds the buffer's bytes: host-visible buffers hold one copy per slot.
BufferPlacement placement(const BufferStorage &storage, Buffer *buffer, uint64_t baseOffset)
{
    BufferPlacement result;
    const bool hostVisible = buffer && buffer->hostVisible.get();
    for (uint32_t slot = 0; slot < MaxFramesInFlight; ++slot)
        result.offsets[slot] = baseOffset + (hostVisible ? uint64_t(slot) * buffer->size.get() : 0);
    if (const BufferRecord *record = buffer ? storage.find(buffer) : nullptr)
        result.handle = record->buffer.handle();
    return result;
}

} // namespace

MeshStorage::MeshStorage(Renderer *renderer)
    : ResourceStorage(renderer)
    , m_logger(TbFoundation::getOrCreateLogger("mesh", spdlog::level::debug))
{
}

MeshStorage::~MeshStorage() = default;

void MeshStorage::add(Mesh *mesh)
{
    sync(mesh, findOrCreate(mesh));
}

void MeshStorage::update(Mesh *mesh)
{
    if (MeshRecord *record = find(mesh))
        sync(mesh, *record);
    else
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Mesh {}", mesh->objectName());
}

void MeshStorage::remove(Mesh *mesh)
{
    // A removed mesh may already be destroyed: it is named by its address only.
    if (!take(mesh))
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Mesh {}", fmt::ptr(mesh));
}

void MeshStorage::clear()
{
    m_records.clear();
}

void MeshStorage::sync(Mesh *mesh, MeshRecord &record)
{
    const BufferStorage &buffers = m_renderer->bufferStorage();
    const std::vector<Buffer *> &vertexBuffers = mesh->vertexBuffers.get();
    const std::vector<uint64_t> &baseOffsets = mesh->vertexBufferOffsets.get();
    record.vertexBuffers.assign(vertexBuffers.size(), {});
    for (auto &offsets : record.vertexBufferOffsets)
        offsets.assign(vertexBuffers.size(), 0);
    for (std::size_t i = 0; i < vertexBuffers.size(); ++i) {
        const BufferPlacement at = placement(buffers, vertexBuffers[i], i < baseOffsets.size() ? baseOffsets[i] : 0);
        record.vertexBuffers[i] = at.handle;
        for (uint32_t slot = 0; slot < MaxFramesInFlight; ++slot)
            record.vertexBufferOffsets[slot][i] = at.offsets[slot];
    }

    record.indexType = 1;
    if (Buffer *indexBuffer = mesh->indexBuffer.get()) {
        const BufferPlacement at = placement(buffers, indexBuffer, 0);
        record.indexBuffer = at.handle;
        record.indexBufferOffsets = at.offsets;
        record.indexCount = uint32_t(indexBuffer->size.get() / 4);
        record.indexed = true;
        record.vertexCount = 0;
        return;
    }
    record.indexBuffer = {};
    record.indexBufferOffsets = {};
    record.indexCount = 0;
    record.indexed = false;
    record.vertexCount = 0;
    for (const TbGpu::VertexBufferLayout &layout : mesh->vertexFormat.get().buffers) {
        if (layout.inputRate != TbGpu::VertexRate::Vertex || layout.binding >= vertexBuffers.size() ||
            !vertexBuffers[layout.binding] || layout.stride == 0)
            continue;
        record.vertexCount = uint32_t(vertexBuffers[layout.binding]->size.get() / layout.stride);
        break;
    }
}

} // namespace Orvane
