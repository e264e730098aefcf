#pragma once

#include <TbGpu/adapter.h>
#include <TbGpu/device.h>
#include <TbGpu/handle.h>
#include <TbGpu/instance_options.h>
#include <TbGpu/surface.h>
#include <TbGpu/surface_options.h>

#include <memory>
#include <vector>

namespace TbGpu {

class GraphicsApi;

// The adapter chosen by createDefaultDevice and the device made on it; {null, invalid} when none qualified.
struct DefaultDevice {
    Adapter *adapter{ nullptr };
    Device device;
};

// A Vulkan instance, made by the library or adopted. It keeps the adapters it lists for its whole life, so Adapter
// pointers it hands out stay valid until it goes.
class Instance
{
public:
    Instance() = default;
    Instance(GraphicsApi *api, const InstanceOptions &options); // throws when Vulkan refuses the instance
    Instance(GraphicsApi *api, const Handle<Instance_t> &instance); // wraps an existing record (adoption)
    ~Instance();

    Instance(Instance &&other) noexcept;
    Instance &operator=(Instance &&other) noexcept;
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

    const Handle<Instance_t> &handle() const noexcept { return m_instance; }
    bool isValid() const noexcept { return m_instance.isValid(); }

    std::vector<Extension> extensions() const;
    std::vector<Adapter *> adapters();
    Adapter *selectAdapter(AdapterDeviceType type);
    Surface createSurface(const SurfaceOptions &options);

    // Opens a device on the best adapter of the wished type (rankAdapters) whose queue family 0 does graphics and
    // compute and can present to the surface: one queue of family 0 and every feature the adapter has. An invalid
    // surface opens a device for off-screen work: presentation is then neither checked nor required. When no
    // adapter qualifies, a critical log line says so and the result holds no adapter and an invalid device.
    DefaultDevice createDefaultDevice(const Surface &surface, AdapterDeviceType type = AdapterDeviceType::Default);

private:
    void release();
    std::vector<Adapter *> rankedAdapters(AdapterDeviceType type);
    // Logs what it checks, as the device choice goes along.
    static bool meetsDefaultDeviceRequirements(Adapter &adapter, const Surface &surface);

    GraphicsApi *m_api{ nullptr };
    Handle<Instance_t> m_instance;
    std::vector<std::unique_ptr<Adapter>> m_adapters;
};

} // namespace TbGpu
