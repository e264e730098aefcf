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
#include <source_location>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

namespace TbGpu {

// The record each kind a device makes keeps in its pool, and the pool's initial capacity (a reserve only: pools grow
// without limit).
template<typename Tag>
struct VulkanRecordOf;
#define TBGPU_VULKAN_RECORD_OF(Kind, ...)                                                                              \
    template<>                                                                                                         \
    struct VulkanRecordOf<Kind##_t> {                                                                                  \
        using type = Vulkan##Kind;                                                                                     \
    };
TBGPU_DEVICE_CHILD_KINDS(TBGPU_VULKAN_RECORD_OF)
#undef TBGPU_VULKAN_RECORD_OF

template<typename Tag>
using VulkanPool = Pool<typename VulkanRecordOf<Tag>::type, Tag>;

template<typename Tag>
constexpr uint32_t initialPoolCapacity()
{
    if constexpr (std::is_same_v<Tag, Swapchain_t>)
        return 1;
    else if constexpr (std::is_same_v<Tag, TimestampQueryRecorder_t>)
        return 4;
    else if constexpr (std::is_same_v<Tag, Sampler_t> || std::is_same_v<Tag, Fence_t>)
        return 16;
    else if constexpr (std::is_same_v<Tag, GpuSemaphore_t> || std::is_same_v<Tag, CommandRecorder_t> ||
                       std::is_same_v<Tag, RenderPassCommandRecorder_t> ||
                       std::is_same_v<Tag, ComputePassCommandRecorder_t>)
        return 32;
    else if constexpr (std::is_same_v<Tag, ShaderModule_t> || std::is_same_v<Tag, PipelineLayout_t> ||
                       std::is_same_v<Tag, GraphicsPipeline_t> || std::is_same_v<Tag, ComputePipeline_t>)
        return 64;
    else
        return 128; // textures, views, buffers, bind groups and their layouts, command buffers
}

// Pools of the kinds a device makes, each with its initial capacity, after an empty placeholder (the list macro
// puts a comma before each pool).
template<typename Pools>
Pools makeDeviceChildPools()
{
    return []<typename... Records, typename... Tags>(
                   std::type_identity<std::tuple<std::monostate, Pool<Records, Tags>...>>) {
        return Pools{ std::monostate{}, Pool<Records, Tags>(initialPoolCapacity<Tags>())... };
    }(std::type_identity<Pools>{});
}

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
    // The device a handle names; when it names none, "Could not find a valid device" is logged as an error at the
    // caller's place.
    VulkanDevice *findDevice(const Handle<Device_t> &handle,
                             const std::source_location &caller = std::source_location::current());

    Handle<Queue_t> insertQueue(const VulkanQueue &queue) { return m_queues.insert(queue); }
    void removeQueue(const Handle<Queue_t> &handle) override { m_queues.remove(handle); }
    VulkanQueue *getQueue(const Handle<Queue_t> &handle) override { return m_queues.get(handle); }

    Handle<Surface_t> insertSurface(const VulkanSurface &surface) { return m_surfaces.insert(surface); }
    void deleteSurface(const Handle<Surface_t> &handle) override;
    VulkanSurface *getSurface(const Handle<Surface_t> &handle) override { return m_surfaces.get(handle); }

    // The kinds a device makes (resource_kinds.h); their get operations return the Vulkan records.
#define TBGPU_VULKAN_DEVICE_CHILD(Kind, ...)                                                                           \
    Handle<Kind##_t> create##Kind(const Handle<Device_t> &, __VA_ARGS__) override;                                     \
    void delete##Kind(const Handle<Kind##_t> &handle) override;                                                        \
    Vulkan##Kind *get##Kind(const Handle<Kind##_t> &handle) override                                                   \
    {                                                                                                                  \
        return pool<Kind##_t>().get(handle);                                                                           \
    }
    TBGPU_DEVICE_CHILD_KINDS(TBGPU_VULKAN_DEVICE_CHILD)
#undef TBGPU_VULKAN_DEVICE_CHILD

    // Swapchain images enter the pool through here, with ownedBySwapchain set.
    Handle<Texture_t> insertTexture(const VulkanTexture &texture)
    {
        return pool<Texture_t>().insert(texture);
    }
    const std::vector<TimestampQueryRange> &timestampQueryRanges() const
    {
        return m_timestampQueryRanges;
    }

    // Makes the render pass a key describes (for a pipeline, or for the device's cache) and stores its record.
    Handle<RenderPass_t> createRenderPass(const Handle<Device_t> &device, const RenderPassKey &key);
    // Render passes are deleted by the pipelines that own them and by their device's cache; framebuffers by that
    // cache, when one of their views or the device goes.
    void deleteRenderPass(const Handle<RenderPass_t> &handle);
    VulkanRenderPass *getRenderPass(const Handle<RenderPass_t> &handle)
    {
        return m_renderPasses.get(handle);
    }
    VulkanFramebuffer *getFramebuffer(const Handle<Framebuffer_t> &handle)
    {
        return m_framebuffers.get(handle);
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
    Pool<VulkanRenderPass, RenderPass_t> m_renderPasses{ 16 };
    Pool<VulkanFramebuffer, Framebuffer_t> m_framebuffers{ 16 };

    template<typename Tag>
    VulkanPool<Tag> &pool()
    {
        return std::get<VulkanPool<Tag>>(m_deviceChildPools);
    }
    template<typename Tag>
    const VulkanPool<Tag> &pool() const
    {
        return std::get<VulkanPool<Tag>>(m_deviceChildPools);
    }
#define TBGPU_VULKAN_POOL(Kind, ...) , VulkanPool<Kind##_t>
    using DeviceChildPools = std::tuple<std::monostate TBGPU_DEVICE_CHILD_KINDS(TBGPU_VULKAN_POOL)>;
#undef TBGPU_VULKAN_POOL
    DeviceChildPools m_deviceChildPools = makeDeviceChildPools<DeviceChildPools>();

    std::vector<TimestampQueryRange> m_timestampQueryRanges; // in creation order
};

} // namespace TbGpu
