#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane {

// A uniform block (or one of its members), as declared in the shader.
struct BlockDescription {
    std::string name; // the variable's name
    std::string typeName; // its type's name; for a uniform block, the block name
    uint32_t offset = 0;
    uint32_t size = 0;
    std::vector<BlockDescription> members; // in declaration order

    friend bool operator==(const BlockDescription &, const BlockDescription &) = default;
};

struct ResourceBinding {
    uint32_t binding = 0;
    uint32_t count = 1; // product of the array dimensions; 1 when not an array
    uint32_t type = 0; // Vulkan descriptor type
    uint32_t stages = 0; // Vulkan shader stage flags of the stages that use it
    BlockDescription block; // empty for bindings without a block (samplers, images)

    friend bool operator==(const ResourceBinding &, const ResourceBinding &) = default;
};

struct ResourceSet {
    uint32_t set = 0;
    std::vector<ResourceBinding> bindings;

    friend bool operator==(const ResourceSet &, const ResourceSet &) = default;
};

struct PushConstantRange {
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t stages = 0;

    friend bool operator==(const PushConstantRange &, const PushConstantRange &) = default;
};

// What a shader program's stages declare: descriptor sets and push constant ranges.
struct ResourceFormat {
    std::vector<ResourceSet> sets;
    std::vector<PushConstantRange> pushConstantRanges;
};

// A vertex shader input.
struct ShaderAttribute {
    uint32_t location = 0;
    TbGpu::Format format = TbGpu::Format::UNDEFINED;
    std::string name;

    friend bool operator==(const ShaderAttribute &, const ShaderAttribute &) = default;
};

} // namespace Orvane
