#include <TbGpu/instance.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>
#include <TbGpu/utils/logging.h>

#include <utility>

namespace TbGpu {

Instance::Instance(GraphicsApi *api, const InstanceOptions &options)
    : m_api(api)
    , m_instance(api->resourceManager()->createInstance(options))
{
}

Instance::Instance(GraphicsApi *api, const Handle<Instance_t> &instance)
    : m_api(api)
    , m_instance(instance)
{
}

Instance::~Instance()
{
    release();
}

Instance::Instance(Instance &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_instance(std::exchange(other.m_instance, {}))
    , m_adapters(std::exchange(other.m_adapters, {}))
{
}

Instance &Instance::operator=(Instance &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_instance = std::exchange(other.m_instance, {});
        m_adapters = std::exchange(other.m_adapters, {});
    }
    return *this;
}

void Instance::release()
{
    if (m_instance.isValid() && m_api)
        m_api->resourceManager()->deleteInstance(m_instance);
    m_instance = {};
    m_adapters.clear(); // each adapter releases its slot
}

std::vector<Extension> Instance::extensions() const
{
    ApiInstance *instance = m_api ? m_api->resourceManager()->getInstance(m_instance) : nullptr;
    return instance ? instance->extensions() : std::vector<Extension>{};
}

std::vector<Adapter *> Instance::adapters()
{
    if (m_adapters.empty() && m_api) {
        if (ApiInstance *instance = m_api->resourceManager()->getInstance(m_instance)) {
            for (const Handle<Adapter_t> &handle : instance->queryAdapters())
                m_adapters.push_back(std::make_unique<Adapter>(m_api, handle));
        }
    }
    std::vector<Adapter *> result;
    result.reserve(m_adapters.size());
    for (const auto &adapter : m_adapters)
        result.push_back(adapter.get());
    return result;
}

std::vector<Adapter *> Instance::rankedAdapters(AdapterDeviceType type)
{
    const std::vector<Adapter *> all = adapters();
    std::vector<AdapterDeviceType> types;
    types.reserve(all.size());
    for (const Adapter *adapter : all)
        types.push_back(adapter->properties().deviceType);
    std::vector<Adapter *> ranked;
    for (size_t index : rankAdapters(types, type))
        ranked.push_back(all[index]);
    return ranked;
}

Adapter *Instance::selectAdapter(AdapterDeviceType type)
{
    const std::vector<Adapter *> ranked = rankedAdapters(type);
    return ranked.empty() ? nullptr : ranked.front();
}

Surface Instance::createSurface(const SurfaceOptions &options)
{
    ApiInstance *instance = m_api ? m_api->resourceManager()->getInstance(m_instance) : nullptr;
    if (!instance)
        return {};
    return Surface(m_api, instance->createSurface(options));
}

DefaultDevice Instance::createDefaultDevice(const Surface &surface, AdapterDeviceType type)
{
    const std::vector<Adapter *> candidates = rankedAdapters(type);
    if (candidates.empty()) {
        TBGPU_LOG_CRITICAL("Unable to find a suitable Adapter. Aborting...");
        return {};
    }
    for (Adapter *adapter : candidates) {
        if (!meetsDefaultDeviceRequirements(*adapter, surface)) {
            TBGPU_LOG_WARN("Adapter {} is passed over: its queue family 0 does not meet requirements",
                           adapter->properties().deviceName);
            continue;
        }
        TBGPU_LOG_INFO("Supports multiview: {}", adapter->features().multiView);
        DeviceOptions options;
        options.requestedFeatures = adapter->features();
        return { adapter, adapter->createDevice(options) };
    }
    TBGPU_LOG_CRITICAL("Selected adapter queue family 0 does not meet requirements. Aborting.");
    return {};
}

bool Instance::meetsDefaultDeviceRequirements(Adapter &adapter, const Surface &surface)
{
    const std::vector<AdapterQueueType> &queueTypes = adapter.queueTypes();
    const uint32_t graphicsAndComputeBits =
            static_cast<uint32_t>(QueueFlagBits::GraphicsBit) | static_cast<uint32_t>(QueueFlagBits::ComputeBit);
    const bool graphicsAndCompute =
            !queueTypes.empty() && (queueTypes[0].flags.toInt() & graphicsAndComputeBits) == graphicsAndComputeBits;
    TBGPU_LOG_INFO("Queue family 0 graphics and compute support: {}", graphicsAndCompute);

    bool presentationSupported = true; // off-screen devices need none
    if (surface.isValid()) {
        const SwapchainProperties swapchainProperties = adapter.swapchainProperties(surface.handle());
        TBGPU_LOG_INFO("Supported swapchain present modes:");
        for (PresentMode mode : swapchainProperties.presentModes)
            TBGPU_LOG_INFO("  - {}", presentModeName(mode));
        presentationSupported = adapter.supportsPresentation(surface.handle(), 0);
        TBGPU_LOG_INFO("Queue family 0 supports presentation: {}", presentationSupported);
    } else {
        TBGPU_LOG_INFO("No surface given: the device is opened for off-screen work");
    }

    TBGPU_LOG_INFO("Supported adapter extensions:");
    for (const Extension &extension : adapter.extensions())
        TBGPU_LOG_INFO("  - {} Version {}", extension.name, extension.version);
    return presentationSupported && graphicsAndCompute;
}

} // namespace TbGpu
