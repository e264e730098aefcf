#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// Barriers carry 64-bit stage and access masks. Devices without synchronization2 receive the low 32 bits (with a
// warning when higher bits are set).

struct MemoryBarrier {
    AccessFlags srcMask;
    AccessFlags dstMask;
};

struct MemoryBarrierOptions {
    PipelineStageFlags srcStages;
    PipelineStageFlags dstStages;
    std::vector<MemoryBarrier> memoryBarriers;
};

// Queue type indices stay ignored (VK_QUEUE_FAMILY_IGNORED) unless an ownership transfer is meant.
struct BufferMemoryBarrierOptions {
    static constexpr uint32_t IgnoreQueueType = ~0u;
    PipelineStageFlags srcStages;
    AccessFlags srcMask;
    PipelineStageFlags dstStages;
    AccessFlags dstMask;
    uint32_t srcQueueTypeIndex{ IgnoreQueueType };
    uint32_t dstQueueTypeIndex{ IgnoreQueueType };
    Handle<Buffer_t> buffer;
    uint64_t offset{ 0 };
    uint64_t size{ ~0ull }; // the default reaches the end of the buffer
};

struct TextureMemoryBarrierOptions {
    static constexpr uint32_t IgnoreQueueType = ~0u;
    PipelineStageFlags srcStages;
    AccessFlags srcMask;
    PipelineStageFlags dstStages;
    AccessFlags dstMask;
    TextureLayout oldLayout{ TextureLayout::Undefined };
    TextureLayout newLayout{ TextureLayout::Undefined };
    uint32_t srcQueueTypeIndex{ IgnoreQueueType };
    uint32_t dstQueueTypeIndex{ IgnoreQueueType };
    Handle<Texture_t> texture;
    TextureSubresourceRange range;
};

} // namespace TbGpu
