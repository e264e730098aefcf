#pragma once

#include <TbGpu/adapter_properties.h>
#include <TbGpu/device.h>
#include <TbGpu/device_options.h>
#include <TbGpu/handle.h>
#include <TbGpu/instance_options.h>

#include <vector>

namespace TbGpu {

class GraphicsApi;

// A physical device. Properties, features and queue types are read once, when the object is made.
class Adapter
{
public:
    Adapter() = default;
    Adapter(GraphicsApi *api, const Handle<Adapter_t> &adapter);
    ~Adapter();

    Adapter(Adapter &&other) noexcept;
    Adapter &operator=(Adapter &&other) noexcept;
    Adapter(const Adapter &) = delete;
    Adapter &operator=(const Adapter &) = delete;

    const Handle<Adapter_t> &handle() const noexcept { return m_adapter; }
    bool isValid() const noexcept { return m_adapter.isValid(); }

    const AdapterProperties &properties() const noexcept { return m_properties; }
    const AdapterFeatures &features() const noexcept { return m_features; }
    const std::vector<AdapterQueueType> &queueTypes() const noexcept { return m_queueTypes; }

    std::vector<Extension> extensions() const;
    SwapchainProperties swapchainProperties(const Handle<Surface_t> &surface) const;
    bool supportsPresentation(const Handle<Surface_t> &surface, uint32_t queueTypeIndex) const;
    FormatProperties formatProperties(Format format) const;

    Device createDevice(const DeviceOptions &options = {});

private:
    void release();

    GraphicsApi *m_api{ nullptr };
    Handle<Adapter_t> m_adapter;
    AdapterProperties m_properties;
    AdapterFeatures m_features;
    std::vector<AdapterQueueType> m_queueTypes;
};

} // namespace TbGpu
