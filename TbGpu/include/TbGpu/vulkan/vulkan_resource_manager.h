#pragma once

#include <TbGpu/pool.h>
#include <TbGpu/resource_manager.h>
#include <TbGpu/vulkan/vulkan_adapter.h>
#include <TbGpu/vulkan/vulkan_bind_group.h>
#include <TbGpu/vulkan/vulkan_bind_group_layout.h>
#include <TbGpu/vulkan/vulkan_buffer.h>
#include <TbGpu/vulkan/vulkan_command_buffer.h>
#include <TbGpu/vulkan/vulkan_command_recorder.h>
#include <TbGpu/vulkan/vulkan_compute_pass_command_recorder.h>
#include <TbGpu/vulkan/vulkan_compute_pipeline.h>
#include <TbGpu/vulkan/vulkan_device.h>
#include <TbGpu/vulkan/vulkan_fence.h>
#include <TbGpu/vulkan/vulkan_framebuffer.h>
#include <TbGpu/vulkan/vulkan_gpu_semaphore.h>
#include <TbGpu/vulkan/vulkan_graphics_pipeline.h>
#include <TbGpu/vulkan/vulkan_instance.h>
#include <TbGpu/vulkan/vulkan_pipeline_layout.h>
#include <TbGpu/vulkan/vulkan_queue.h>
#include <TbGpu/vulkan/vulkan_render_pass.h>
#include <TbGpu/vulkan/vulkan_render_pass_command_recorder.h>
#include <TbGpu/vulkan/vulkan_sampler.h>
#include <TbGpu/vulkan/vulkan_shader_module.h>
#include <TbGpu/vulkan/vulkan_surface.h>
#include <TbGpu/vulkan/vulkan_swapchain.h>
#include <TbGpu/vulkan/vulkan_texture.h>
#include <TbGpu/vulkan/vulkan_texture_view.h>
#include <TbGpu/vulkan/vulkan_timestamp_query_recorder.h>

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

    // Render passes are deleted by the pipelines that own them and by their device's cache.
    void deleteRenderPass(const Handle<RenderPass_t> &handle);

private:
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
