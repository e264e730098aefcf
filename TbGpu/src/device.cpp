#include <TbGpu/device.h>

#include <TbGpu/adapter.h>
#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Device::Device(Adapter *adapter, GraphicsApi *api, const DeviceOptions &options)
    : m_api(api)
    , m_adapter(adapter)
{
    ResourceManager *manager = m_api->resourceManager();
    std::vector<QueueRequest> usedRequests;
    m_device = manager->createDevice(adapter->handle(), options, usedRequests);
    if (ApiDevice *device = manager->getDevice(m_device)) {
        const std::vector<QueueDescription> descriptions =
                device->getQueues(manager, usedRequests, adapter->queueTypes());
        m_queues.reserve(descriptions.size());
        for (const QueueDescription &description : descriptions)
            m_queues.emplace_back(m_api, m_device, description);
    }
}

Device::~Device()
{
    release();
}

Device::Device(Device &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_adapter(std::exchange(other.m_adapter, nullptr))
    , m_device(std::exchange(other.m_device, {}))
    , m_queues(std::exchange(other.m_queues, {}))
{
}

Device &Device::operator=(Device &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_adapter = std::exchange(other.m_adapter, nullptr);
        m_device = std::exchange(other.m_device, {});
        m_queues = std::exchange(other.m_queues, {});
    }
    return *this;
}

void Device::release()
{
    m_queues.clear();
    if (m_device.isValid() && m_api)
        m_api->resourceManager()->deleteDevice(m_device);
    m_device = {};
}

ResultCode Device::waitUntilIdle()
{
    ApiDevice *device = m_api ? m_api->resourceManager()->getDevice(m_device) : nullptr;
    return device ? device->waitUntilIdle() : ResultCode::ErrorDeviceLost;
}

Buffer Device::createBuffer(const BufferOptions &options, const void *initialData)
{
    if (!m_api || !m_device.isValid())
        return {};
    return Buffer(m_api, m_device, m_api->resourceManager()->createBuffer(m_device, options, initialData));
}

Texture Device::createTexture(const TextureOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return Texture(m_api, m_device, m_api->resourceManager()->createTexture(m_device, options));
}

Sampler Device::createSampler(const SamplerOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return Sampler(m_api, m_device, m_api->resourceManager()->createSampler(m_device, options));
}

ShaderModule Device::createShaderModule(const std::vector<uint32_t> &code)
{
    if (!m_api || !m_device.isValid())
        return {};
    return ShaderModule(m_api, m_device, m_api->resourceManager()->createShaderModule(m_device, code));
}

BindGroupLayout Device::createBindGroupLayout(const BindGroupLayoutOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return BindGroupLayout(m_api, m_device, m_api->resourceManager()->createBindGroupLayout(m_device, options));
}

PipelineLayout Device::createPipelineLayout(const PipelineLayoutOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return PipelineLayout(m_api, m_device, m_api->resourceManager()->createPipelineLayout(m_device, options));
}

BindGroup Device::createBindGroup(const BindGroupOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return BindGroup(m_api, m_device, m_api->resourceManager()->createBindGroup(m_device, options));
}

GraphicsPipeline Device::createGraphicsPipeline(const GraphicsPipelineOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return GraphicsPipeline(m_api, m_device, m_api->resourceManager()->createGraphicsPipeline(m_device, options));
}

CommandRecorder Device::createCommandRecorder(const CommandRecorderOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return CommandRecorder(m_api, m_device, m_api->resourceManager()->createCommandRecorder(m_device, options),
                           options.level);
}

Swapchain Device::createSwapchain(const SwapchainOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return Swapchain(m_api, m_device, m_api->resourceManager()->createSwapchain(m_device, options));
}

Fence Device::createFence(const FenceOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return Fence(m_api, m_device, m_api->resourceManager()->createFence(m_device, options));
}

GpuSemaphore Device::createGpuSemaphore(const GpuSemaphoreOptions &options)
{
    if (!m_api || !m_device.isValid())
        return {};
    return GpuSemaphore(m_api, m_device, m_api->resourceManager()->createGpuSemaphore(m_device, options));
}

} // namespace TbGpu
