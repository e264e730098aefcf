#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// One vertex buffer as the pipeline reads it: bound at `binding`, `stride` bytes per vertex or instance.
struct VertexBufferLayout {
    uint32_t binding{ 0 };
    uint32_t stride{ 0 };
    VertexRate inputRate{ VertexRate::Vertex };

    bool operator==(const VertexBufferLayout &) const = default;
};

// One shader input fed from a vertex buffer: location `location` reads `format` at `offset` bytes into each
// element of the buffer bound at `binding`. Only the low 32 bits of the offset reach Vulkan.
struct VertexAttribute {
    uint32_t location{ 0 };
    uint32_t binding{ 0 };
    Format format{ Format::UNDEFINED };
    uint64_t offset{ 0 };

    bool operator==(const VertexAttribute &) const = default;
};

// The vertex input of a graphics pipeline (and the vertex format of a mesh).
struct VertexOptions {
    std::vector<VertexBufferLayout> buffers;
    std::vector<VertexAttribute> attributes;

    bool operator==(const VertexOptions &) const = default;
};

} // namespace TbGpu
