#pragma once

#include <TbGpu/graphics_api.h>
#include <TbGpu/handle.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

// The common shape of the front objects made by a device: move-only, holding the api, the device handle and
// their own handle, and deleting that handle through the manager (with `Delete`) when they go. Moved-from and
// default objects delete nothing.
template<typename Tag, void (ResourceManager::*Delete)(const Handle<Tag> &)>
class DeviceObject
{
public:
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

    void release()
    {
        if (m_handle.isValid() && m_api)
            (m_api->resourceManager()->*Delete)(m_handle);
        m_handle = {};
    }

    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<Tag> m_handle;
};

} // namespace TbGpu
