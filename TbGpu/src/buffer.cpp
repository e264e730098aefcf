#include <TbGpu/buffer.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Buffer::Buffer(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Buffer_t> &buffer)
    : m_api(api)
    , m_device(device)
    , m_buffer(buffer)
{
}

Buffer::~Buffer()
{
    release();
}

Buffer::Buffer(Buffer &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_device(std::exchange(other.m_device, {}))
    , m_buffer(std::exchange(other.m_buffer, {}))
    , m_mapped(std::exchange(other.m_mapped, nullptr))
{
}

Buffer &Buffer::operator=(Buffer &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_device = std::exchange(other.m_device, {});
        m_buffer = std::exchange(other.m_buffer, {});
        m_mapped = std::exchange(other.m_mapped, nullptr);
    }
    return *this;
}

void Buffer::release()
{
    if (m_buffer.isValid() && m_api)
        m_api->resourceManager()->deleteBuffer(m_buffer);
    m_buffer = {};
    m_mapped = nullptr;
}

void *Buffer::map()
{
    if (m_mapped)
        return m_mapped;
    if (!m_api)
        return nullptr;
    if (ApiBuffer *buffer = m_api->resourceManager()->getBuffer(m_buffer))
        m_mapped = buffer->map();
    return m_mapped;
}

void Buffer::unmap()
{
    if (!m_mapped)
        return;
    if (ApiBuffer *buffer = m_api->resourceManager()->getBuffer(m_buffer))
        buffer->unmap();
    m_mapped = nullptr;
}

void Buffer::invalidate()
{
    if (!m_api)
        return;
    if (ApiBuffer *buffer = m_api->resourceManager()->getBuffer(m_buffer))
        buffer->invalidate();
}

void Buffer::flush()
{
    if (!m_api)
        return;
    if (ApiBuffer *buffer = m_api->resourceManager()->getBuffer(m_buffer))
        buffer->flush();
}

MemoryHandle Buffer::externalMemoryHandle() const
{
    if (!m_api)
        return {};
    ApiBuffer *buffer = m_api->resourceManager()->getBuffer(m_buffer);
    return buffer ? buffer->externalMemoryHandle() : MemoryHandle{};
}

} // namespace TbGpu
