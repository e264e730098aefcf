#pragma once

#include <Orvane/render/storages/resource_storage.h>

#include <TbGpu/buffer.h>
#include <TbGpu/enums.h>
#include <TbGpu/gpu_core.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace Orvane {

class Buffer;

// The GPU copy of a Buffer. A host-visible buffer gets one copy per frame slot: slot s uses bytes s * size up to
// (s + 1) * size, so that the CPU writes one slot while the GPU reads the other.
struct BufferRecord {
    TbGpu::Buffer buffer;
    uint64_t size{ 0 };
    TbGpu::BufferUsageFlags usage;
    TbGpu::MemoryUsage memoryUsage{ TbGpu::MemoryUsage::Unknown };
    uint32_t externalMemoryHandleType{ 0 }; // the platform's exportable handle type when exported
};

// Buffers are made again only when their size, usage, memory kind or exportability change; a new `data` alone
// queues a pending upload for the next frame. Buffers with a mapper are written through their mapping every frame.
class BufferStorage : public ResourceStorage<Buffer, BufferRecord>
{
public:
    using Entry = std::pair<Buffer *, BufferRecord *>;

    using ResourceStorage::ResourceStorage;
    ~BufferStorage() override;

    void add(Buffer *buffer);
    void update(Buffer *buffer);
    void remove(Buffer *buffer);
    void clear();

    // Hands the pending uploads over and forgets them.
    std::vector<Entry> takePendingUploads() { return std::exchange(m_pendingUploads, {}); }
    const std::vector<Entry> &pendingUploads() const noexcept { return m_pendingUploads; }
    const std::vector<Entry> &mappedBuffers() const noexcept { return m_mappedBuffers; }

    // Maps the GPU buffer, lets the buffer's mapper write the copy of `frameSlot`, unmaps it.
    static void callMapper(const Entry &entry, uint32_t frameSlot);

private:
    void sync(Buffer *buffer, BufferRecord &record);
    void retire(BufferRecord &record);

    std::vector<Entry> m_pendingUploads;
    std::vector<Entry> m_mappedBuffers;
};

} // namespace Orvane
