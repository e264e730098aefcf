#pragma once

#include <TbGpu/graphics_api.h>
#include <TbGpu/handle.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

// The common shape of the front objects made by a device: move-only, holding the api, the device handle and
// their own handle, and deleting that handle through the manager when they go. Moved-from and default objects
// delete nothing.
template<typename TagT>
class DeviceObject
{
public:
    using Tag = TagT;

    DeviceObject() = default;
    DeviceObject(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Tag> &handle)
        : m_api(api)
        , m_device(device)
        , m_handle(handle)
    {
    }
    ~DeviceObject() { release(); }

    DeviceObject(DeviceObject &&other) noexcept
        : m_api(std::exchange(other.m_api, nullptr))
        , m_device(std::exchange(other.m_device, {}))
        , m_handle(std::exchange(other.m_handle, {}))
    {
    }
    DeviceObject &operator=(DeviceObject &&other) noexcept
    {
        if (this != &other) {
            release();
            m_api = std::exchange(other.m_api, nullptr);
            m_device = std::exchange(other.m_device, {});
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    DeviceObject(const DeviceObject &) = delete;
    DeviceObject &operator=(const DeviceObject &) = delete;

    const Handle<Tag> &handle() const noexcept { return m_handle; }
    bool isValid() const noexcept { return m_handle.isValid(); }

protected:
    ResourceManager *manager() const noexcept { return m_api ? m_api->resourceManager() : nullptr; }

    // The record's interface; null for an empty object or a handle that names nothing (any more).
    typename DeviceChildTraits<Tag>::Api *record() const
    {
        ResourceManager *resources = manager();
        return resources ? (resources->*DeviceChildTraits<Tag>::get)(m_handle) : nullptr;
    }

    void release()
    {
        if (m_handle.isValid() && m_api)
            (m_api->resourceManager()->*DeviceChildTraits<Tag>::destroy)(m_handle);
        m_handle = {};
    }

    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<Tag> m_handle;
};

// A device object whose memory the host may map (buffers, linear textures). The mapped pointer is remembered:
// mapping twice maps the memory once. Unmap before the object goes; destroying a mapped object does not unmap it.
template<typename Tag>
class MappableDeviceObject : public DeviceObject<Tag>
{
public:
    using DeviceObject<Tag>::DeviceObject;
    MappableDeviceObject() = default;
    MappableDeviceObject(MappableDeviceObject &&other) noexcept
        : DeviceObject<Tag>(std::move(other))
        , m_mapped(std::exchange(other.m_mapped, nullptr))
    {
    }
    MappableDeviceObject &operator=(MappableDeviceObject &&other) noexcept
    {
        if (this != &other) {
            DeviceObject<Tag>::operator=(std::move(other));
            m_mapped = std::exchange(other.m_mapped, nullptr);
        }
        return *this;
    }

    void *map() // null for an empty object or memory that cannot be mapped
    {
        if (!m_mapped) {
            if (auto *resource = this->record())
                m_mapped = resource->map();
        }
        return m_mapped;
    }
    void unmap()
    {
        if (!m_mapped)
            return;
        if (auto *resource = this->record())
            resource->unmap();
        m_mapped = nullptr;
    }
    MemoryHandle externalMemoryHandle() const
    {
        const auto *resource = this->record();
        return resource ? resource->externalMemoryHandle() : MemoryHandle{};
    }

private:
    void *m_mapped{ nullptr };
};

} // namespace TbGpu
