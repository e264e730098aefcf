#pragma once

#include <TbGpu/flags.h>
#include <TbGpu/handle.h>

#include <cstdint>

namespace TbGpu {

// VkStencilFaceFlagBits
enum class StencilFaceFlagBits : uint32_t { FrontBit = 0x1, BackBit = 0x2, FrontAndBack = 0x3, MaxEnum = 0x7FFFFFFF };
TBGPU_DECLARE_FLAGS(StencilFaceFlagBits)
using StencilFaceFlags = Flags<StencilFaceFlagBits>;

// Arguments of the commands recorded inside a render pass.

struct DrawCommand {
    uint32_t vertexCount{ 0 };
    uint32_t instanceCount{ 1 };
    uint32_t firstVertex{ 0 };
    uint32_t firstInstance{ 0 };
};

struct DrawIndexedCommand {
    uint32_t indexCount{ 0 };
    uint32_t instanceCount{ 1 };
    uint32_t firstIndex{ 0 };
    int32_t vertexOffset{ 0 };
    uint32_t firstInstance{ 0 };
};

// Also used for indexed indirect draws.
struct DrawIndirectCommand {
    Handle<Buffer_t> buffer;
    uint64_t offset{ 0 };
    uint32_t drawCount{ 1 };
    uint32_t stride{ 0 };
};

struct Viewport {
    float x{ 0.0f };
    float y{ 0.0f };
    float width{ 0.0f };
    float height{ 0.0f };
    float minDepth{ 0.0f };
    float maxDepth{ 1.0f };
};

struct Offset2D {
    int32_t x{ 0 };
    int32_t y{ 0 };
};

struct Rect2D {
    Offset2D offset;
    struct {
        uint32_t width{ 0 };
        uint32_t height{ 0 };
    } extent;
};

// Arguments of the commands recorded inside a compute pass.
struct ComputeCommand {
    uint32_t workGroupX{ 1 };
    uint32_t workGroupY{ 1 };
    uint32_t workGroupZ{ 1 };
};

struct ComputeIndirectCommand {
    Handle<Buffer_t> buffer;
    uint64_t offset{ 0 };
};

} // namespace TbGpu
