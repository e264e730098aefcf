#pragma once

// The kinds of records a device makes, in the order of the resource manager's operations, each with the types of
// the arguments its create operation takes after the device handle. Every kind Kind has a handle tag Kind_t, an
// interface ApiKind and the manager operations createKind, deleteKind and getKind. The interface
// (ResourceManager), its Vulkan implementation and test doubles all expand this one list:
//   #define DECLARE(Kind, ...) ...
//   TBGPU_DEVICE_CHILD_KINDS(DECLARE)
//
// Notes on the arguments: a texture view is made on a texture; a buffer's initial data, when given, holds
// options.size bytes copied into the new buffer; shader code is SPIR-V as 32-bit words; pass and timestamp
// recorders record into the command recorder they are made on.
#define TBGPU_DEVICE_CHILD_KINDS(X)                                                                                    \
    X(Swapchain, const SwapchainOptions &)                                                                             \
    X(Texture, const TextureOptions &)                                                                                 \
    X(TextureView, const Handle<Texture_t> &, const TextureViewOptions &)                                              \
    X(Buffer, const BufferOptions &, const void *)                                                                     \
    X(ShaderModule, const std::vector<uint32_t> &)                                                                     \
    X(PipelineLayout, const PipelineLayoutOptions &)                                                                   \
    X(GraphicsPipeline, const GraphicsPipelineOptions &)                                                               \
    X(ComputePipeline, const ComputePipelineOptions &)                                                                 \
    X(GpuSemaphore, const GpuSemaphoreOptions &)                                                                       \
    X(CommandRecorder, const CommandRecorderOptions &)                                                                 \
    X(RenderPassCommandRecorder, const Handle<CommandRecorder_t> &, const RenderPassCommandRecorderOptions &)          \
    X(ComputePassCommandRecorder, const Handle<CommandRecorder_t> &)                                                   \
    X(TimestampQueryRecorder, const Handle<CommandRecorder_t> &, const TimestampQueryRecorderOptions &)                \
    X(CommandBuffer, const QueueDescription &, CommandBufferLevel)                                                     \
    X(BindGroup, const BindGroupOptions &)                                                                             \
    X(BindGroupLayout, const BindGroupLayoutOptions &)                                                                 \
    X(Sampler, const SamplerOptions &)                                                                                 \
    X(Fence, const FenceOptions &)
