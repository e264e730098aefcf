#pragma once

#include <TbGpu/gpu_core.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

struct BufferOptions {
    uint64_t size{ 0 };
    BufferUsageFlags usage;
    MemoryUsage memoryUsage{ MemoryUsage::Unknown };
    SharingMode sharingMode{ SharingMode::Exclusive };
    std::vector<uint32_t> queueTypeIndices; // used only when not empty
    ExternalMemoryHandleTypeFlags externalMemoryHandleType; // none when empty
};

} // namespace TbGpu
