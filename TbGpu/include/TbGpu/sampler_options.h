#pragma once

#include <TbGpu/gpu_core.h>

namespace TbGpu {

// A lodMaxClamp of 2147483648.0 means no clamping (Vulkan's VK_LOD_CLAMP_NONE, 1000.0).
inline constexpr float LodClampNone = 2147483648.0f;

struct SamplerOptions {
    FilterMode magFilter{ FilterMode::Nearest };
    FilterMode minFilter{ FilterMode::Nearest };
    MipmapFilterMode mipmapFilter{ MipmapFilterMode::Nearest };
    AddressMode u{ AddressMode::Repeat };
    AddressMode v{ AddressMode::Repeat };
    AddressMode w{ AddressMode::Repeat };
    float lodMinClamp{ 0.0f };
    float lodMaxClamp{ LodClampNone };
    bool anisotropyEnabled{ false };
    float maxAnisotropy{ 1.0f };
    bool compareEnabled{ false };
    CompareOperation compare{ CompareOperation::Never };
    bool normalizedCoordinates{ true };
};

} // namespace TbGpu
