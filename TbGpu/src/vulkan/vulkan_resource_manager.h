#pragma once

#include "vulkan/vulkan_adapter.h"
#include "vulkan/vulkan_bind_group.h"
#include "vulkan/vulkan_bind_group_layout.h"
#include "vulkan/vulkan_buffer.h"
#include "vulkan/vulkan_command_buffer.h"
#include "vulkan/vulkan_command_recorder.h"
#include "vulkan/vulkan_compute_pass_command_recorder.h"
#include "vulkan/vulkan_compute_pipeline.h"
#include "vulkan/vulkan_device.h"
#include "vulkan/vulkan_fence.h"
#include "vulkan/vulkan_framebuffer.h"
#include "vulkan/vulkan_gpu_semaphore.h"
#include "vulkan/vulkan_graphics_pipeline.h"
#include "vulkan/vulkan_instance.h"
#include "vulkan/vulkan_pipeline_layout.h"
#include "vulkan/vulkan_queue.h"
#include "vulkan/vulkan_render_pass.h"
#include "vulkan/vulkan_render_pass_command_recorder.h"
#include "vulkan/vulkan_sampler.h"
#include "vulkan/vulkan_shader_module.h"
#include "vulkan/vulkan_surface.h"
#include "vulkan/vulkan_swapchain.h"
#include "vulkan/vulkan_texture.h"
#include "vulkan/vulkan_texture_view.h"
#include "vulkan/vulkan_timestamp_query_recorder.h"

#include <TbGpu/pool.h>
#include <TbGpu/resource_manager.h>

#include <optional>
#include <vector>

namespace TbGpu {

// The Vulkan resource manager: the 25 pools of records and the operations on them. The get operations return the
// Vulkan records themselves (covariant with the abstract interfaces). Records still alive when the manager goes
// are not destroyed: their owners delete them first (device children, then devices, then instances).
class VulkanResourceManager : public ResourceManager
{
public:
    VulkanResourceManager();
    ~VulkanResourceManager() override;

    // Instances, adapters, devices, queues and surfaces.
    Handle<Instance_t> createInstance(const InstanceOptions &options) override;
    void deleteInstance(const Handle<Instance_t> &handle) override;
    VulkanInstance *getInstance(const Handle<Instance_t> &handle) override { return m_instances.get(handle); }
    // Wraps an instance made outside the library; deleting the record never destroys the VkInstance.
    Handle<Instance_t> createInstanceFromExistingVkInstance(VkInstance instance);
    // The handle naming a record of the instances pool (invalid when the pointer is not one of them).
    Handle<Instance_t> handleOfInstance(const VulkanInstance *record);

    Handle<Adapter_t> insertAdapter(const VulkanAdapter &adapter) { return m_adapters.insert(adapter); }
    void removeAdapter(const Handle<Adapter_t> &handle) override { m_adapters.remove(handle); }
    VulkanAdapter *getAdapter(const Handle<Adapter_t> &handle) override { return m_adapters.get(handle); }

    Handle<Device_t> createDevice(const Handle<Adapter_t> &adapter, const DeviceOptions &options,
                                  std::vector<QueueRequest> &queueRequests) override;
    void deleteDevice(const Handle<Device_t> &handle) override;
    VulkanDevice *getDevice(const Handle<Device_t> &handle) override { return m_devices.get(handle); }

    Handle<Queue_t> insertQueue(const VulkanQueue &queue) { return m_queues.insert(queue); }
    void removeQueue(const Handle<Queue_t> &handle) override { m_queues.remove(handle); }
    VulkanQueue *getQueue(const Handle<Queue_t> &handle) override { return m_queues.get(handle); }

    Handle<Surface_t> insertSurface(const VulkanSurface &surface) { return m_surfaces.insert(surface); }
    void deleteSurface(const Handle<Surface_t> &handle) override;
    VulkanSurface *getSurface(const Handle<Surface_t> &handle) override { return m_surfaces.get(handle); }

    // Presentation and synchronisation.
    Handle<Swapchain_t> createSwapchain(const Handle<Device_t> &device, const SwapchainOptions &options) override;
    void deleteSwapchain(const Handle<Swapchain_t> &handle) override;
    VulkanSwapchain *getSwapchain(const Handle<Swapchain_t> &handle) override { return m_swapchains.get(handle); }

    Handle<GpuSemaphore_t> createGpuSemaphore(const Handle<Device_t> &device,
                                              const GpuSemaphoreOptions &options) override;
    void deleteGpuSemaphore(const Handle<GpuSemaphore_t> &handle) override;
    VulkanGpuSemaphore *getGpuSemaphore(const Handle<GpuSemaphore_t> &handle) override
    {
        return m_gpuSemaphores.get(handle);
    }

    Handle<Fence_t> createFence(const Handle<Device_t> &device, const FenceOptions &options) override;
    void deleteFence(const Handle<Fence_t> &handle) override;
    VulkanFence *getFence(const Handle<Fence_t> &handle) override { return m_fences.get(handle); }

    // Memory resources.
    Handle<Texture_t> createTexture(const Handle<Device_t> &device, const TextureOptions &options) override;
    void deleteTexture(const Handle<Texture_t> &handle) override;
    VulkanTexture *getTexture(const Handle<Texture_t> &handle) override { return m_textures.get(handle); }
    // Swapchain images enter the pool through here, with ownedBySwapchain set.
    Handle<Texture_t> insertTexture(const VulkanTexture &texture) { return m_textures.insert(texture); }

    Handle<TextureView_t> createTextureView(const Handle<Device_t> &device, const Handle<Texture_t> &texture,
                                            const TextureViewOptions &options) override;
    void deleteTextureView(const Handle<TextureView_t> &handle) override;
    VulkanTextureView *getTextureView(const Handle<TextureView_t> &handle) override
    {
        return m_textureViews.get(handle);
    }

    Handle<Buffer_t> createBuffer(const Handle<Device_t> &device, const BufferOptions &options,
                                  const void *initialData) override;
    void deleteBuffer(const Handle<Buffer_t> &handle) override;
    VulkanBuffer *getBuffer(const Handle<Buffer_t> &handle) override { return m_buffers.get(handle); }

    Handle<Sampler_t> createSampler(const Handle<Device_t> &device, const SamplerOptions &options) override;
    void deleteSampler(const Handle<Sampler_t> &handle) override;
    VulkanSampler *getSampler(const Handle<Sampler_t> &handle) override { return m_samplers.get(handle); }

    // Shaders, layouts, bind groups and pipelines.
    Handle<ShaderModule_t> createShaderModule(const Handle<Device_t> &device,
                                              const std::vector<uint32_t> &code) override;
    void deleteShaderModule(const Handle<ShaderModule_t> &handle) override;
    VulkanShaderModule *getShaderModule(const Handle<ShaderModule_t> &handle) override
    {
        return m_shaderModules.get(handle);
    }

    Handle<BindGroupLayout_t> createBindGroupLayout(const Handle<Device_t> &device,
                                                    const BindGroupLayoutOptions &options) override;
    void deleteBindGroupLayout(const Handle<BindGroupLayout_t> &handle) override;
    VulkanBindGroupLayout *getBindGroupLayout(const Handle<BindGroupLayout_t> &handle) override
    {
        return m_bindGroupLayouts.get(handle);
    }

    Handle<PipelineLayout_t> createPipelineLayout(const Handle<Device_t> &device,
                                                  const PipelineLayoutOptions &options) override;
    void deletePipelineLayout(const Handle<PipelineLayout_t> &handle) override;
    VulkanPipelineLayout *getPipelineLayout(const Handle<PipelineLayout_t> &handle) override
    {
        return m_pipelineLayouts.get(handle);
    }

    // Sets come from the device's newest descriptor pool; one more pool is made when it is exhausted.
    Handle<BindGroup_t> createBindGroup(const Handle<Device_t> &device, const BindGroupOptions &options) override;
    void deleteBindGroup(const Handle<BindGroup_t> &handle) override;
    VulkanBindGroup *getBindGroup(const Handle<BindGroup_t> &handle) override { return m_bindGroups.get(handle); }

    Handle<GraphicsPipeline_t> createGraphicsPipeline(const Handle<Device_t> &device,
                                                      const GraphicsPipelineOptions &options) override;
    void deleteGraphicsPipeline(const Handle<GraphicsPipeline_t> &handle) override;
    VulkanGraphicsPipeline *getGraphicsPipeline(const Handle<GraphicsPipeline_t> &handle) override
    {
        return m_graphicsPipelines.get(handle);
    }

    Handle<ComputePipeline_t> createComputePipeline(const Handle<Device_t> &device,
                                                    const ComputePipelineOptions &options) override;
    void deleteComputePipeline(const Handle<ComputePipeline_t> &handle) override;
    VulkanComputePipeline *getComputePipeline(const Handle<ComputePipeline_t> &handle) override
    {
        return m_computePipelines.get(handle);
    }

    // Makes the render pass a key describes (for a pipeline, or for the device's cache) and stores its record.
    Handle<RenderPass_t> createRenderPass(const Handle<Device_t> &device, const RenderPassKey &key);
    // Render passes are deleted by the pipelines that own them and by their device's cache; framebuffers by that
    // cache, when one of their views or the device goes.
    void deleteRenderPass(const Handle<RenderPass_t> &handle);
    VulkanRenderPass *getRenderPass(const Handle<RenderPass_t> &handle) { return m_renderPasses.get(handle); }
    VulkanFramebuffer *getFramebuffer(const Handle<Framebuffer_t> &handle) { return m_framebuffers.get(handle); }

    // Recording.
    Handle<CommandRecorder_t> createCommandRecorder(const Handle<Device_t> &device,
                                                    const CommandRecorderOptions &options) override;
    void deleteCommandRecorder(const Handle<CommandRecorder_t> &handle) override;
    VulkanCommandRecorder *getCommandRecorder(const Handle<CommandRecorder_t> &handle) override
    {
        return m_commandRecorders.get(handle);
    }

    // Begins a pass on the render pass and framebuffer the device's caches hold for these attachments (made on
    // first use).
    Handle<RenderPassCommandRecorder_t>
    createRenderPassCommandRecorder(const Handle<Device_t> &device, const Handle<CommandRecorder_t> &recorder,
                                    const RenderPassCommandRecorderOptions &options) override;
    void deleteRenderPassCommandRecorder(const Handle<RenderPassCommandRecorder_t> &handle) override;
    VulkanRenderPassCommandRecorder *
    getRenderPassCommandRecorder(const Handle<RenderPassCommandRecorder_t> &handle) override
    {
        return m_renderPassCommandRecorders.get(handle);
    }

    Handle<ComputePassCommandRecorder_t>
    createComputePassCommandRecorder(const Handle<Device_t> &device,
                                     const Handle<CommandRecorder_t> &recorder) override;
    void deleteComputePassCommandRecorder(const Handle<ComputePassCommandRecorder_t> &handle) override;
    VulkanComputePassCommandRecorder *
    getComputePassCommandRecorder(const Handle<ComputePassCommandRecorder_t> &handle) override
    {
        return m_computePassCommandRecorders.get(handle);
    }

    // Hands out a range of the device's query pool above every range still in use.
    Handle<TimestampQueryRecorder_t> createTimestampQueryRecorder(const Handle<Device_t> &device,
                                                                  const Handle<CommandRecorder_t> &recorder,
                                                                  const TimestampQueryRecorderOptions &options) override;
    void deleteTimestampQueryRecorder(const Handle<TimestampQueryRecorder_t> &handle) override;
    VulkanTimestampQueryRecorder *getTimestampQueryRecorder(const Handle<TimestampQueryRecorder_t> &handle) override
    {
        return m_timestampQueryRecorders.get(handle);
    }
    const std::vector<TimestampQueryRange> &timestampQueryRanges() const { return m_timestampQueryRanges; }

    Handle<CommandBuffer_t> createCommandBuffer(const Handle<Device_t> &device, const QueueDescription &queue,
                                                CommandBufferLevel level) override;
    void deleteCommandBuffer(const Handle<CommandBuffer_t> &handle) override;
    VulkanCommandBuffer *getCommandBuffer(const Handle<CommandBuffer_t> &handle) override
    {
        return m_commandBuffers.get(handle);
    }

private:
    VkDescriptorPool createDescriptorPool(VkDevice device);
    // False when a stage names no shader module.
    bool resolveShaderStages(const std::vector<ShaderStage> &shaderStages,
                             std::vector<VkPipelineShaderStageCreateInfo> &stages) const;
    // The steps of beginning a pass: every attachment names a live view, the render pass and framebuffer come from
    // the device's caches (made on first use), and the framebuffer's size from the first colour view.
    bool attachmentsAreLive(const RenderPassCommandRecorderOptions &options) const;
    Handle<RenderPass_t> findOrCreateRenderPass(const Handle<Device_t> &device,
                                                const RenderPassCommandRecorderOptions &options);
    std::optional<FramebufferKey> framebufferKeyFor(const Handle<RenderPass_t> &renderPass,
                                                    const RenderPassCommandRecorderOptions &options) const;
    Handle<Framebuffer_t> findOrCreateFramebuffer(VulkanDevice &device, const FramebufferKey &key);
    Handle<Framebuffer_t> createFramebuffer(VkDevice device, const FramebufferKey &key);
    void destroyFramebuffer(VkDevice device, const Handle<Framebuffer_t> &handle);

    Pool<VulkanInstance, Instance_t> m_instances{ 1 };
    Pool<VulkanAdapter, Adapter_t> m_adapters{ 1 };
    Pool<VulkanDevice, Device_t> m_devices{ 1 };
    Pool<VulkanQueue, Queue_t> m_queues{ 4 };
    Pool<VulkanSurface, Surface_t> m_surfaces{ 1 };
    Pool<VulkanSwapchain, Swapchain_t> m_swapchains{ 1 };
    Pool<VulkanTexture, Texture_t> m_textures{ 128 };
    Pool<VulkanTextureView, TextureView_t> m_textureViews{ 128 };
    Pool<VulkanBuffer, Buffer_t> m_buffers{ 128 };
    Pool<VulkanShaderModule, ShaderModule_t> m_shaderModules{ 64 };
    Pool<VulkanPipelineLayout, PipelineLayout_t> m_pipelineLayouts{ 64 };
    Pool<VulkanBindGroupLayout, BindGroupLayout_t> m_bindGroupLayouts{ 128 };
    Pool<VulkanBindGroup, BindGroup_t> m_bindGroups{ 128 };
    Pool<VulkanGraphicsPipeline, GraphicsPipeline_t> m_graphicsPipelines{ 64 };
    Pool<VulkanComputePipeline, ComputePipeline_t> m_computePipelines{ 64 };
    Pool<VulkanGpuSemaphore, GpuSemaphore_t> m_gpuSemaphores{ 32 };
    Pool<VulkanCommandRecorder, CommandRecorder_t> m_commandRecorders{ 32 };
    Pool<VulkanRenderPassCommandRecorder, RenderPassCommandRecorder_t> m_renderPassCommandRecorders{ 32 };
    Pool<VulkanComputePassCommandRecorder, ComputePassCommandRecorder_t> m_computePassCommandRecorders{ 32 };
    Pool<VulkanCommandBuffer, CommandBuffer_t> m_commandBuffers{ 128 };
    Pool<VulkanRenderPass, RenderPass_t> m_renderPasses{ 16 };
    Pool<VulkanFramebuffer, Framebuffer_t> m_framebuffers{ 16 };
    Pool<VulkanSampler, Sampler_t> m_samplers{ 16 };
    Pool<VulkanFence, Fence_t> m_fences{ 16 };
    Pool<VulkanTimestampQueryRecorder, TimestampQueryRecorder_t> m_timestampQueryRecorders{ 4 };

    std::vector<TimestampQueryRange> m_timestampQueryRanges; // in creation order
};

} // namespace TbGpu
