#pragma once

// A resource manager without Vulkan: adapters of chosen types and queue families, counters of deletions.
// It lets the device-choice rules and the front objects' ownership rules be checked for machines the test
// machine is not (two GPUs, a family 0 without compute, surfaces with odd present modes).

#include <TbGpu/graphics_api.h>
#include <TbGpu/pool.h>
#include <TbGpu/resource_manager.h>

#include <map>
#include <type_traits>
#include <vector>

namespace TbGpuTest {

using namespace TbGpu;

struct FakeAdapterSetup {
    AdapterDeviceType type{ AdapterDeviceType::DiscreteGpu };
    std::vector<QueueFlags> families{ QueueFlagBits::GraphicsBit | QueueFlagBits::ComputeBit };
    bool presents{ true };
    std::vector<PresentMode> presentModes{ PresentMode::Fifo };
    std::string name{ "fake" };
};

class FakeAdapter : public ApiAdapter
{
public:
    explicit FakeAdapter(FakeAdapterSetup setup = {})
        : m_setup(std::move(setup))
    {
    }
    std::vector<Extension> extensions() const override { return { { "VK_KHR_swapchain", 70 } }; }
    AdapterProperties queryAdapterProperties() const override
    {
        AdapterProperties properties;
        properties.deviceType = m_setup.type;
        properties.deviceName = m_setup.name;
        return properties;
    }
    AdapterFeatures queryAdapterFeatures() override
    {
        AdapterFeatures features;
        features.multiView = true;
        return features;
    }
    SwapchainProperties querySwapchainProperties(const Handle<Surface_t> &) const override
    {
        SwapchainProperties properties;
        properties.presentModes = m_setup.presentModes;
        return properties;
    }
    std::vector<AdapterQueueType> queryQueueTypes() override
    {
        std::vector<AdapterQueueType> types;
        for (QueueFlags flags : m_setup.families)
            types.push_back({ flags, 1, 64, { 1, 1, 1 } });
        return types;
    }
    bool supportsPresentation(const Handle<Surface_t> &, uint32_t) const override { return m_setup.presents; }
    FormatProperties formatProperties(Format) const override { return {}; }

private:
    FakeAdapterSetup m_setup;
};

class FakeResourceManager;

class FakeInstance : public ApiInstance
{
public:
    explicit FakeInstance(FakeResourceManager *manager = nullptr)
        : m_manager(manager)
    {
    }
    std::vector<Extension> extensions() const override { return {}; }
    std::vector<Handle<Adapter_t>> queryAdapters() override;
    Handle<Surface_t> createSurface(const SurfaceOptions &) override;

private:
    FakeResourceManager *m_manager;
};

class FakeDevice : public ApiDevice
{
public:
    std::vector<QueueDescription> getQueues(ResourceManager *, const std::vector<QueueRequest> &requests,
                                            const std::vector<AdapterQueueType> &types) override
    {
        std::vector<QueueDescription> descriptions;
        uint32_t index = 0;
        for (const QueueRequest &request : requests)
            for (uint32_t i = 0; i < request.count; ++i)
                descriptions.push_back(
                        { { index++, 1 }, types.at(request.queueTypeIndex).flags, 64, {}, request.queueTypeIndex });
        return descriptions;
    }
    ResultCode waitUntilIdle() override { return ResultCode::Success; }
};

struct FakeBuffer : public ApiBuffer {
    void *map() override
    {
        ++mapCount;
        return storage;
    }
    void unmap() override { ++unmapCount; }
    void invalidate() override { }
    void flush() override { }
    MemoryHandle externalMemoryHandle() const override { return {}; }
    char storage[16]{};
    int mapCount{ 0 };
    int unmapCount{ 0 };
};

class FakeResourceManager : public ResourceManager
{
public:
    std::vector<FakeAdapterSetup> adapterSetups;
    std::map<std::string, int> deletions; // kind -> count
    std::vector<QueueRequest> lastQueueRequests;
    DeviceOptions lastDeviceOptions;

    Handle<Instance_t> createInstance(const InstanceOptions &) override { return instances.insert(FakeInstance(this)); }
    void deleteInstance(const Handle<Instance_t> &handle) override { count("instance", instances, handle); }
    ApiInstance *getInstance(const Handle<Instance_t> &handle) override { return instances.get(handle); }

    Handle<Adapter_t> insertAdapter(const FakeAdapterSetup &setup) { return adapters.insert(FakeAdapter(setup)); }
    void removeAdapter(const Handle<Adapter_t> &handle) override { count("adapter", adapters, handle); }
    ApiAdapter *getAdapter(const Handle<Adapter_t> &handle) override { return adapters.get(handle); }

    Handle<Device_t> createDevice(const Handle<Adapter_t> &, const DeviceOptions &options,
                                  std::vector<QueueRequest> &requests) override
    {
        lastDeviceOptions = options;
        requests = options.queues.empty() ? std::vector<QueueRequest>{ { 0, 1, { 1.0f } } } : options.queues;
        lastQueueRequests = requests;
        return devices.insert(FakeDevice());
    }
    void deleteDevice(const Handle<Device_t> &handle) override { count("device", devices, handle); }
    ApiDevice *getDevice(const Handle<Device_t> &handle) override { return devices.get(handle); }

    void removeQueue(const Handle<Queue_t> &) override { ++deletions["queue"]; }
    ApiQueue *getQueue(const Handle<Queue_t> &) override { return nullptr; }

    Handle<Surface_t> insertSurface() { return surfaces.insert(ApiSurface{}); }
    void deleteSurface(const Handle<Surface_t> &handle) override { count("surface", surfaces, handle); }
    ApiSurface *getSurface(const Handle<Surface_t> &handle) override { return surfaces.get(handle); }

    // The kinds a device makes: only buffers are made (as FakeBuffer records); deleting any valid handle counts.
#define TBGPU_FAKE_DEVICE_CHILD(Kind, ...)                                                                             \
    Handle<Kind##_t> create##Kind(const Handle<Device_t> &, __VA_ARGS__) override                                      \
    {                                                                                                                  \
        return made<Kind##_t>();                                                                                       \
    }                                                                                                                  \
    void delete##Kind(const Handle<Kind##_t> &handle) override                                                         \
    {                                                                                                                  \
        deleted(#Kind, handle);                                                                                        \
    }                                                                                                                  \
    Api##Kind *get##Kind(const Handle<Kind##_t> &handle) override                                                      \
    {                                                                                                                  \
        return record<Kind##_t>(handle);                                                                               \
    }
    TBGPU_DEVICE_CHILD_KINDS(TBGPU_FAKE_DEVICE_CHILD)
#undef TBGPU_FAKE_DEVICE_CHILD

    Pool<FakeInstance, Instance_t> instances{ 1 };
    Pool<FakeAdapter, Adapter_t> adapters{ 1 };
    Pool<FakeDevice, Device_t> devices{ 1 };
    Pool<ApiSurface, Surface_t> surfaces{ 1 };
    Pool<FakeBuffer, Buffer_t> buffers{ 4 };

private:
    template<typename PoolT, typename HandleT>
    void count(const char *kind, PoolT &pool, const HandleT &handle)
    {
        if (pool.get(handle))
            ++deletions[kind];
        pool.remove(handle);
    }

    template<typename Tag>
    Handle<Tag> made()
    {
        if constexpr (std::is_same_v<Tag, Buffer_t>)
            return buffers.insert(FakeBuffer());
        else
            return {};
    }
    template<typename Tag>
    typename DeviceChildTraits<Tag>::Api *record(const Handle<Tag> &handle)
    {
        if constexpr (std::is_same_v<Tag, Buffer_t>)
            return buffers.get(handle);
        else
            return nullptr;
    }
    template<typename Tag>
    void deleted(const char *kind, const Handle<Tag> &handle)
    {
        if (handle.isValid())
            ++deletions[kind];
        if constexpr (std::is_same_v<Tag, Buffer_t>)
            buffers.remove(handle);
    }
};

inline std::vector<Handle<Adapter_t>> FakeInstance::queryAdapters()
{
    std::vector<Handle<Adapter_t>> handles;
    for (const FakeAdapterSetup &setup : m_manager->adapterSetups)
        handles.push_back(m_manager->insertAdapter(setup));
    return handles;
}

inline Handle<Surface_t> FakeInstance::createSurface(const SurfaceOptions &)
{
    return m_manager->insertSurface();
}

class FakeGraphicsApi : public GraphicsApi
{
public:
    FakeGraphicsApi() { m_resourceManager = &manager; }
    FakeResourceManager manager;
};

} // namespace TbGpuTest
