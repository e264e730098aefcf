#pragma once

#include <TbGpu/api/api_adapter.h>
#include <TbGpu/api/api_buffer.h>
#include <TbGpu/api/api_device.h>
#include <TbGpu/api/api_instance.h>
#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/api/api_queue.h>
#include <TbGpu/api/api_texture.h>
#include <TbGpu/buffer_options.h>
#include <TbGpu/device_options.h>
#include <TbGpu/handle.h>
#include <TbGpu/instance_options.h>
#include <TbGpu/sampler_options.h>
#include <TbGpu/texture_options.h>

#include <vector>

namespace TbGpu {

// Owns every GPU record and names them by handles. Create operations return an invalid handle on failure (after
// logging); get operations return the record's interface or null; delete operations release the record's backend
// objects and then its slot, and ignore handles that name nothing. A pointer from a get operation is good only
// until the next insertion into the same pool: use it at once, never store it.
//
// The operations are declared in the order of the kinds: instances, adapters, devices, queues, surfaces, then the
// device children. Swapchains, shader modules, layouts, pipelines, semaphores, recorders, command buffers, bind
// groups and fences extend this interface with the pipeline and recording layer; their pools already exist.
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
};

} // namespace TbGpu
