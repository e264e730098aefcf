#pragma once

#include <TbGpu/api/api_adapter.h>
#include <TbGpu/api/api_bind_group.h>
#include <TbGpu/api/api_buffer.h>
#include <TbGpu/api/api_command_buffer.h>
#include <TbGpu/api/api_command_recorder.h>
#include <TbGpu/api/api_compute_pass_command_recorder.h>
#include <TbGpu/api/api_device.h>
#include <TbGpu/api/api_fence.h>
#include <TbGpu/api/api_gpu_semaphore.h>
#include <TbGpu/api/api_instance.h>
#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/api/api_queue.h>
#include <TbGpu/api/api_render_pass_command_recorder.h>
#include <TbGpu/api/api_swapchain.h>
#include <TbGpu/api/api_texture.h>
#include <TbGpu/api/api_timestamp_query_recorder.h>
#include <TbGpu/bind_group_layout_options.h>
#include <TbGpu/bind_group_options.h>
#include <TbGpu/buffer_options.h>
#include <TbGpu/command_recorder_options.h>
#include <TbGpu/device_options.h>
#include <TbGpu/handle.h>
#include <TbGpu/graphics_pipeline_options.h>
#include <TbGpu/instance_options.h>
#include <TbGpu/pipeline_layout_options.h>
#include <TbGpu/render_pass_command_recorder_options.h>
#include <TbGpu/sampler_options.h>
#include <TbGpu/swapchain_options.h>
#include <TbGpu/sync_options.h>
#include <TbGpu/texture_options.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// Owns every GPU record and names them by handles. Create operations return an invalid handle on failure (after
// logging); get operations return the record's interface or null; delete operations release the record's backend
// objects and then its slot, and ignore handles that name nothing. A pointer from a get operation is good only
// until the next insertion into the same pool: use it at once, never store it.
//
// The operations are declared in the order of the kinds: instances, adapters, devices, queues, surfaces, then the
// device children: memory resources, then shaders, layouts and pipelines, synchronisation, recording and
// presentation.
class ResourceManager
{
public:
    virtual ~ResourceManager() = default;

    virtual Handle<Instance_t> createInstance(const InstanceOptions &options) = 0;
    virtual void deleteInstance(const Handle<Instance_t> &handle) = 0;
    virtual ApiInstance *getInstance(const Handle<Instance_t> &handle) = 0;

    virtual void removeAdapter(const Handle<Adapter_t> &handle) = 0;
    virtual ApiAdapter *getAdapter(const Handle<Adapter_t> &handle) = 0;

    // queueRequests is in/out: it receives the requests actually used.
    virtual Handle<Device_t> createDevice(const Handle<Adapter_t> &adapter, const DeviceOptions &options,
                                          std::vector<QueueRequest> &queueRequests) = 0;
    virtual void deleteDevice(const Handle<Device_t> &handle) = 0;
    virtual ApiDevice *getDevice(const Handle<Device_t> &handle) = 0;

    virtual void removeQueue(const Handle<Queue_t> &handle) = 0;
    virtual ApiQueue *getQueue(const Handle<Queue_t> &handle) = 0;

    virtual void deleteSurface(const Handle<Surface_t> &handle) = 0;
    virtual ApiSurface *getSurface(const Handle<Surface_t> &handle) = 0;

    virtual Handle<Swapchain_t> createSwapchain(const Handle<Device_t> &device, const SwapchainOptions &options) = 0;
    virtual void deleteSwapchain(const Handle<Swapchain_t> &handle) = 0;
    virtual ApiSwapchain *getSwapchain(const Handle<Swapchain_t> &handle) = 0;

    virtual Handle<Texture_t> createTexture(const Handle<Device_t> &device, const TextureOptions &options) = 0;
    virtual void deleteTexture(const Handle<Texture_t> &handle) = 0;
    virtual ApiTexture *getTexture(const Handle<Texture_t> &handle) = 0;

    virtual Handle<TextureView_t> createTextureView(const Handle<Device_t> &device, const Handle<Texture_t> &texture,
                                                    const TextureViewOptions &options) = 0;
    virtual void deleteTextureView(const Handle<TextureView_t> &handle) = 0;
    virtual ApiTextureView *getTextureView(const Handle<TextureView_t> &handle) = 0;

    // initialData, when given, holds options.size bytes copied into the new buffer.
    virtual Handle<Buffer_t> createBuffer(const Handle<Device_t> &device, const BufferOptions &options,
                                          const void *initialData) = 0;
    virtual void deleteBuffer(const Handle<Buffer_t> &handle) = 0;
    virtual ApiBuffer *getBuffer(const Handle<Buffer_t> &handle) = 0;

    virtual Handle<Sampler_t> createSampler(const Handle<Device_t> &device, const SamplerOptions &options) = 0;
    virtual void deleteSampler(const Handle<Sampler_t> &handle) = 0;
    virtual ApiSampler *getSampler(const Handle<Sampler_t> &handle) = 0;

    // SPIR-V code as 32-bit words.
    virtual Handle<ShaderModule_t> createShaderModule(const Handle<Device_t> &device,
                                                      const std::vector<uint32_t> &code) = 0;
    virtual void deleteShaderModule(const Handle<ShaderModule_t> &handle) = 0;
    virtual ApiShaderModule *getShaderModule(const Handle<ShaderModule_t> &handle) = 0;

    virtual Handle<PipelineLayout_t> createPipelineLayout(const Handle<Device_t> &device,
                                                          const PipelineLayoutOptions &options) = 0;
    virtual void deletePipelineLayout(const Handle<PipelineLayout_t> &handle) = 0;
    virtual ApiPipelineLayout *getPipelineLayout(const Handle<PipelineLayout_t> &handle) = 0;

    virtual Handle<GraphicsPipeline_t> createGraphicsPipeline(const Handle<Device_t> &device,
                                                              const GraphicsPipelineOptions &options) = 0;
    virtual void deleteGraphicsPipeline(const Handle<GraphicsPipeline_t> &handle) = 0;
    virtual ApiGraphicsPipeline *getGraphicsPipeline(const Handle<GraphicsPipeline_t> &handle) = 0;

    virtual Handle<ComputePipeline_t> createComputePipeline(const Handle<Device_t> &device,
                                                            const ComputePipelineOptions &options) = 0;
    virtual void deleteComputePipeline(const Handle<ComputePipeline_t> &handle) = 0;
    virtual ApiComputePipeline *getComputePipeline(const Handle<ComputePipeline_t> &handle) = 0;

    virtual Handle<GpuSemaphore_t> createGpuSemaphore(const Handle<Device_t> &device,
                                                      const GpuSemaphoreOptions &options) = 0;
    virtual void deleteGpuSemaphore(const Handle<GpuSemaphore_t> &handle) = 0;
    virtual ApiGpuSemaphore *getGpuSemaphore(const Handle<GpuSemaphore_t> &handle) = 0;

    virtual Handle<CommandRecorder_t> createCommandRecorder(const Handle<Device_t> &device,
                                                            const CommandRecorderOptions &options) = 0;
    virtual void deleteCommandRecorder(const Handle<CommandRecorder_t> &handle) = 0;
    virtual ApiCommandRecorder *getCommandRecorder(const Handle<CommandRecorder_t> &handle) = 0;

    virtual Handle<RenderPassCommandRecorder_t>
    createRenderPassCommandRecorder(const Handle<Device_t> &device, const Handle<CommandRecorder_t> &recorder,
                                    const RenderPassCommandRecorderOptions &options) = 0;
    virtual void deleteRenderPassCommandRecorder(const Handle<RenderPassCommandRecorder_t> &handle) = 0;
    virtual ApiRenderPassCommandRecorder *
    getRenderPassCommandRecorder(const Handle<RenderPassCommandRecorder_t> &handle) = 0;

    virtual Handle<ComputePassCommandRecorder_t>
    createComputePassCommandRecorder(const Handle<Device_t> &device, const Handle<CommandRecorder_t> &recorder) = 0;
    virtual void deleteComputePassCommandRecorder(const Handle<ComputePassCommandRecorder_t> &handle) = 0;
    virtual ApiComputePassCommandRecorder *
    getComputePassCommandRecorder(const Handle<ComputePassCommandRecorder_t> &handle) = 0;

    virtual Handle<TimestampQueryRecorder_t>
    createTimestampQueryRecorder(const Handle<Device_t> &device, const Handle<CommandRecorder_t> &recorder,
                                 const TimestampQueryRecorderOptions &options) = 0;
    virtual void deleteTimestampQueryRecorder(const Handle<TimestampQueryRecorder_t> &handle) = 0;
    virtual ApiTimestampQueryRecorder *getTimestampQueryRecorder(const Handle<TimestampQueryRecorder_t> &handle) = 0;

    virtual Handle<CommandBuffer_t> createCommandBuffer(const Handle<Device_t> &device,
                                                        const QueueDescription &queue, CommandBufferLevel level) = 0;
    virtual void deleteCommandBuffer(const Handle<CommandBuffer_t> &handle) = 0;
    virtual ApiCommandBuffer *getCommandBuffer(const Handle<CommandBuffer_t> &handle) = 0;

    virtual Handle<BindGroup_t> createBindGroup(const Handle<Device_t> &device, const BindGroupOptions &options) = 0;
    virtual void deleteBindGroup(const Handle<BindGroup_t> &handle) = 0;
    virtual ApiBindGroup *getBindGroup(const Handle<BindGroup_t> &handle) = 0;

    virtual Handle<BindGroupLayout_t> createBindGroupLayout(const Handle<Device_t> &device,
                                                            const BindGroupLayoutOptions &options) = 0;
    virtual void deleteBindGroupLayout(const Handle<BindGroupLayout_t> &handle) = 0;
    virtual ApiBindGroupLayout *getBindGroupLayout(const Handle<BindGroupLayout_t> &handle) = 0;

    virtual Handle<Fence_t> createFence(const Handle<Device_t> &device, const FenceOptions &options) = 0;
    virtual void deleteFence(const Handle<Fence_t> &handle) = 0;
    virtual ApiFence *getFence(const Handle<Fence_t> &handle) = 0;
};

} // namespace TbGpu
