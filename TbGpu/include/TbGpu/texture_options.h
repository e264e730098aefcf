#pragma once

#include <TbGpu/gpu_core.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

struct TextureOptions {
    TextureType type{ TextureType::TextureType2D };
    Format format{ Format::UNDEFINED };
    Extent3D extent{ 1, 1, 1 };
    uint32_t mipLevels{ 1 };
    uint32_t arrayLayers{ 1 };
    SampleCountFlagBits samples{ SampleCountFlagBits::Samples1Bit };
    TextureTiling tiling{ TextureTiling::Optimal };
    TextureUsageFlags usage;
    MemoryUsage memoryUsage{ MemoryUsage::GpuOnly };
    SharingMode sharingMode{ SharingMode::Exclusive };
    std::vector<uint32_t> queueTypeIndices; // used only when not empty
    TextureLayout initialLayout{ TextureLayout::Undefined };
    ExternalMemoryHandleTypeFlags externalMemoryHandleType; // none when empty
};

struct TextureViewOptions {
    ViewType viewType{ ViewType::ViewType2D };
    Format format{ Format::UNDEFINED }; // UNDEFINED: the texture's own format
    TextureSubresourceRange range; // aspectMask 0: derived from the texture's usage
};

} // namespace TbGpu
