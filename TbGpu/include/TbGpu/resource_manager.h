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
#include <TbGpu/graphics_pipeline_options.h>
#include <TbGpu/handle.h>
#include <TbGpu/instance_options.h>
#include <TbGpu/pipeline_layout_options.h>
#include <TbGpu/render_pass_command_recorder_options.h>
#include <TbGpu/resource_kinds.h>
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
// kinds a device makes (resource_kinds.h).
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

    // The kinds a device makes, three operations each: createKind(device, ...) returns Handle<Kind_t>,
    // deleteKind(handle) and getKind(handle) returns ApiKind *.
#define TBGPU_DECLARE_DEVICE_CHILD(Kind, ...)                                                                          \
    virtual Handle<Kind##_t> create##Kind(const Handle<Device_t> &, __VA_ARGS__) = 0;                                  \
    virtual void delete##Kind(const Handle<Kind##_t> &handle) = 0;                                                     \
    virtual Api##Kind *get##Kind(const Handle<Kind##_t> &handle) = 0;
    TBGPU_DEVICE_CHILD_KINDS(TBGPU_DECLARE_DEVICE_CHILD)
#undef TBGPU_DECLARE_DEVICE_CHILD
};

// What front objects and generic code know of a kind a device makes: its interface and its three operations.
template<typename Tag>
struct DeviceChildTraits;

#define TBGPU_DEVICE_CHILD_TRAITS(Kind, ...)                                                                           \
    template<>                                                                                                         \
    struct DeviceChildTraits<Kind##_t> {                                                                               \
        using Api = Api##Kind;                                                                                         \
        static constexpr auto create = &ResourceManager::create##Kind;                                                 \
        static constexpr auto destroy = &ResourceManager::delete##Kind;                                                \
        static constexpr auto get = &ResourceManager::get##Kind;                                                       \
    };
TBGPU_DEVICE_CHILD_KINDS(TBGPU_DEVICE_CHILD_TRAITS)
#undef TBGPU_DEVICE_CHILD_TRAITS

} // namespace TbGpu
