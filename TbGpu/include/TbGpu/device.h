#pragma once

#include <TbGpu/bind_group.h>
#include <TbGpu/bind_group_layout.h>
#include <TbGpu/buffer.h>
#include <TbGpu/buffer_options.h>
#include <TbGpu/command_recorder.h>
#include <TbGpu/device_options.h>
#include <TbGpu/fence.h>
#include <TbGpu/gpu_semaphore.h>
#include <TbGpu/graphics_api.h>
#include <TbGpu/graphics_pipeline.h>
#include <TbGpu/handle.h>
#include <TbGpu/pipeline_layout.h>
#include <TbGpu/queue.h>
#include <TbGpu/sampler.h>
#include <TbGpu/sampler_options.h>
#include <TbGpu/shader_module.h>
#include <TbGpu/swapchain.h>
#include <TbGpu/texture.h>
#include <TbGpu/texture_options.h>

#include <vector>

namespace TbGpu {

class Adapter;

// The logical device with its queues. Every object made from it must be destroyed before it: deleting the device
// destroys the memory allocator and the Vulkan device their records use.
class Device
{
public:
    Device() = default;
    Device(Adapter *adapter, GraphicsApi *api, const DeviceOptions &options);
    ~Device();

    Device(Device &&other) noexcept;
    Device &operator=(Device &&other) noexcept;
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    const Handle<Device_t> &handle() const noexcept { return m_device; }
    bool isValid() const noexcept { return m_device.isValid(); }
    Adapter *adapter() const noexcept { return m_adapter; }
    GraphicsApi *graphicsApi() const noexcept { return m_api; }

    std::vector<Queue> &queues() noexcept { return m_queues; }
    const std::vector<Queue> &queues() const noexcept { return m_queues; }

    ResultCode waitUntilIdle();

    Buffer createBuffer(const BufferOptions &options, const void *initialData = nullptr);
    Texture createTexture(const TextureOptions &options);
    Sampler createSampler(const SamplerOptions &options = {});

    ShaderModule createShaderModule(const std::vector<uint32_t> &code);
    BindGroupLayout createBindGroupLayout(const BindGroupLayoutOptions &options);
    PipelineLayout createPipelineLayout(const PipelineLayoutOptions &options = {});
    BindGroup createBindGroup(const BindGroupOptions &options);
    GraphicsPipeline createGraphicsPipeline(const GraphicsPipelineOptions &options);

    // Recording has begun when the recorder is returned.
    CommandRecorder createCommandRecorder(const CommandRecorderOptions &options = {});

    Swapchain createSwapchain(const SwapchainOptions &options);
    Fence createFence(const FenceOptions &options = {});
    GpuSemaphore createGpuSemaphore(const GpuSemaphoreOptions &options = {});

private:
    void release();

    // The front object of a new record of its kind; an empty one when this device is.
    template<typename Object, typename... Args>
    Object make(const Args &...args)
    {
        if (!m_api || !m_device.isValid())
            return {};
        ResourceManager *manager = m_api->resourceManager();
        return Object(m_api, m_device, (manager->*DeviceChildTraits<typename Object::Tag>::create)(m_device, args...));
    }

    GraphicsApi *m_api{ nullptr };
    Adapter *m_adapter{ nullptr };
    Handle<Device_t> m_device;
    std::vector<Queue> m_queues;
};

} // namespace TbGpu
