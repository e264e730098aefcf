#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace TbGpu {

// A small typed name of a record inside the resource manager: the slot index in its pool and the generation the
// slot had when the record was inserted. Generation 0 never names a record, so a default handle is invalid.
template<typename T>
struct Handle {
    uint32_t index{ 0 };
    uint32_t generation{ 0 };

    constexpr bool isValid() const noexcept { return generation != 0; }
    constexpr bool operator==(const Handle &other) const noexcept = default;
};

// Tags that keep the kinds of handles apart; they carry no data.
struct Instance_t { };
struct Adapter_t { };
struct Device_t { };
struct Queue_t { };
struct Surface_t { };
struct Swapchain_t { };
struct Texture_t { };
struct TextureView_t { };
struct Buffer_t { };
struct ShaderModule_t { };
struct PipelineLayout_t { };
struct GraphicsPipeline_t { };
struct ComputePipeline_t { };
struct GpuSemaphore_t { };
struct CommandRecorder_t { };
struct RenderPassCommandRecorder_t { };
struct ComputePassCommandRecorder_t { };
struct TimestampQueryRecorder_t { };
struct CommandBuffer_t { };
struct BindGroup_t { };
struct BindGroupLayout_t { };
struct Sampler_t { };
struct Fence_t { };
struct RenderPass_t { };
struct Framebuffer_t { };

// The combine step used by every hash of the library.
inline void hashCombine(size_t &seed, size_t h) noexcept
{
    seed ^= h + 0x9e3779b9 + (seed << 6) + (seed >> 2);
}

template<typename T>
size_t hashHandle(const Handle<T> &handle) noexcept
{
    size_t seed = 0;
    hashCombine(seed, std::hash<uint32_t>{}(handle.index));
    hashCombine(seed, std::hash<uint32_t>{}(handle.generation));
    return seed;
}

} // namespace TbGpu

template<typename T>
struct std::hash<TbGpu::Handle<T>> {
    size_t operator()(const TbGpu::Handle<T> &handle) const noexcept { return TbGpu::hashHandle(handle); }
};
