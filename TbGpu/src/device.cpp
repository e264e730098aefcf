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
    return make<Buffer>(options, initialData);
}

Texture Device::createTexture(const TextureOptions &options)
{
    return make<Texture>(options);
}

Sampler Device::createSampler(const SamplerOptions &options)
{
    return make<Sampler>(options);
}

ShaderModule Device::createShaderModule(const std::vector<uint32_t> &code)
{
    return make<ShaderModule>(code);
}

BindGroupLayout Device::createBindGroupLayout(const BindGroupLayoutOptions &options)
{
    return make<BindGroupLayout>(options);
}

PipelineLayout Device::createPipelineLayout(const PipelineLayoutOptions &options)
{
    return make<PipelineLayout>(options);
}

BindGroup Device::createBindGroup(const BindGroupOptions &options)
{
    return make<BindGroup>(options);
}

GraphicsPipeline Device::createGraphicsPipeline(const GraphicsPipelineOptions &options)
{
    return make<GraphicsPipeline>(options);
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
    return make<Swapchain>(options);
}

Fence Device::createFence(const FenceOptions &options)
{
    return make<Fence>(options);
}

GpuSemaphore Device::createGpuSemaphore(const GpuSemaphoreOptions &options)
{
    return make<GpuSemaphore>(options);
}

} // namespace TbGpu
