#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

namespace TbGpu {

class GraphicsApi;

// A buffer of device memory. The mapped pointer is remembered: mapping twice maps the memory once.
// Unmap before the buffer goes; destroying a mapped buffer does not unmap it.
class Buffer
{
public:
    Buffer() = default;
    Buffer(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Buffer_t> &buffer);
    ~Buffer();

    Buffer(Buffer &&other) noexcept;
    Buffer &operator=(Buffer &&other) noexcept;
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;

    const Handle<Buffer_t> &handle() const noexcept { return m_buffer; }
    bool isValid() const noexcept { return m_buffer.isValid(); }

    void *map(); // null for an invalid buffer or memory that cannot be mapped
    void unmap();
    void invalidate(); // make device writes visible to the host (non-coherent memory)
    void flush(); // make host writes visible to the device (non-coherent memory)
    MemoryHandle externalMemoryHandle() const;

private:
    void release();

    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<Buffer_t> m_buffer;
    void *m_mapped{ nullptr };
};

} // namespace TbGpu
