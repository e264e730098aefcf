#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// One binding of a bind group layout: `count` resources of one type at `binding`, seen by `shaderStages`.
struct ResourceBindingLayout {
    uint32_t binding{ 0 };
    uint32_t count{ 1 };
    ResourceBindingType resourceType{ ResourceBindingType::UniformBuffer };
    ShaderStageFlags shaderStages;
};

struct BindGroupLayoutOptions {
    std::vector<ResourceBindingLayout> bindings;
};

} // namespace TbGpu
