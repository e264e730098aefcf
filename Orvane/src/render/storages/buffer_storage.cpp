#include <Orvane/render/storages/buffer_storage.h>

#include <Orvane/assets/buffer.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/storages/gpu_transfers.h>

#include <algorithm>

namespace Orvane {

namespace {

constexpr uint32_t ExportableHandleType = uint32_t(Render::ExportableMemoryHandleType);

void eraseEntries(std::vector<BufferStorage::Entry> &entries, const BufferRecord *record)
{
    std::erase_if(entries, [record](const BufferStorage::Entry &entry) { return entry.second == record; });
}

} // namespace

BufferStorage::~BufferStorage() = default;

void BufferStorage::add(Buffer *buffer)
{
    sync(buffer, findOrCreate(buffer));
}

void BufferStorage::update(Buffer *buffer)
{
    if (BufferRecord *record = find(buffer))
        sync(buffer, *record);
}

void BufferStorage::remove(Buffer *buffer)
{
    if (std::unique_ptr<BufferRecord> record = take(buffer))
        retire(*record);
}

void BufferStorage::clear()
{
    for (auto &[buffer, record] : m_records)
        retire(*record);
    m_records.clear();
}

void BufferStorage::retire(BufferRecord &record)
{
    eraseEntries(m_pendingUploads, &record);
    eraseEntries(m_mappedBuffers, &record);
    if (record.buffer.isValid())
        m_renderer->resourceDeleter()->currentBatch().buffers.push_back(std::move(record.buffer));
    record.buffer = {};
}

void BufferStorage::sync(Buffer *buffer, BufferRecord &record)
{
    const uint32_t handleType = buffer->exportMemory.get() ? ExportableHandleType : 0;
    const bool hostVisible = buffer->hostVisible.get();
    const bool unchanged = record.buffer.isValid() && record.size == buffer->size.get() &&
            record.memoryUsage == buffer->memoryUsage.get() && record.usage == buffer->usage.get() &&
            record.externalMemoryHandleType == handleType;
    if (unchanged) {
        const bool queued = std::any_of(m_pendingUploads.begin(), m_pendingUploads.end(),
                                        [&record](const Entry &entry) { return entry.second == &record; });
        if (!buffer->dataMapper.get().hasCallable() && !queued)
            m_pendingUploads.emplace_back(buffer, &record);
    } else {
        if (record.buffer.isValid())
            m_renderer->resourceDeleter()->currentBatch().buffers.push_back(std::move(record.buffer));
        eraseEntries(m_pendingUploads, &record);
        record.size = buffer->size.get();
        record.usage = buffer->usage.get();
        record.memoryUsage = buffer->memoryUsage.get();
        record.externalMemoryHandleType = handleType;

        TbGpu::BufferOptions options;
        options.usage = record.usage;
        options.memoryUsage = record.memoryUsage;
        std::vector<uint64_t> extraOffsets;
        if (hostVisible) {
            // One copy per frame slot, both starting with the data.
            options.size = record.size * MaxFramesInFlight;
            for (uint32_t slot = 1; slot < MaxFramesInFlight; ++slot)
                extraOffsets.push_back(record.size * slot);
        } else {
            options.size = record.size;
            if (handleType)
                options.externalMemoryHandleType = Render::ExportableMemoryHandleType;
        }
        std::vector<uint8_t> data = buffer->data.get();
        if (data.size() > record.size)
            data.resize(record.size);
        record.buffer = Render::createBufferWithData(m_renderer->device(), *m_renderer->graphicsQueue(), options, data,
                                                     extraOffsets);
        if (handleType)
            buffer->externalMemoryHandle = record.buffer.externalMemoryHandle();
    }
    if (hostVisible && buffer->dataMapper.get().hasCallable()) {
        const bool known = std::any_of(m_mappedBuffers.begin(), m_mappedBuffers.end(),
                                       [buffer](const Entry &entry) { return entry.first == buffer; });
        if (!known)
            m_mappedBuffers.emplace_back(buffer, &record);
    }
}

void BufferStorage::callMapper(const Entry &entry, uint32_t frameSlot)
{
    auto &[buffer, record] = entry;
    auto *mapped = static_cast<uint8_t *>(record->buffer.map());
    if (!mapped)
        return;
    buffer->dataMapper.get()(mapped + uint64_t(frameSlot) * record->size);
    record->buffer.flush();
    record->buffer.unmap();
}

} // namespace Orvane
