#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The timestamp-query-recorders-pool record: a range of the device query pool.
struct VulkanTimestampQueryRecorder {
    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    uint32_t usedCount{ 0 };
    uint32_t startQuery{ 0 };
    uint32_t maxQueryCount{ 0 };
    float timestampPeriod{ 1.0f };
};

// A range of queries handed to one recorder.
struct TimestampQueryRange {
    uint32_t startQuery{ 0 };
    uint32_t count{ 0 };
    bool operator==(const TimestampQueryRange &) const = default;
};

} // namespace TbGpu
