#pragma once

#include <TbGpu/api/api_timestamp_query_recorder.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The timestamp-query-recorders-pool record: a range [startQuery, startQuery + maxQueryCount) of the device's
// query pool, reset into the command buffer when the recorder is made.
struct VulkanTimestampQueryRecorder : public ApiTimestampQueryRecorder {
    VulkanTimestampQueryRecorder() = default;
    VulkanTimestampQueryRecorder(VkCommandBuffer buffer, const Handle<CommandRecorder_t> &recorder,
                                 VulkanResourceManager *manager, const Handle<Device_t> &device, uint32_t startQuery,
                                 uint32_t maxQueryCount, float timestampPeriod);

    // Inside a multiview pass one timestamp takes a query per view. Past the reserved count the last query is
    // reset and overwritten outside a render pass; inside one, where no query may be reset, the timestamp is
    // dropped. Both say so with a warning.
    uint32_t writeTimestamp(PipelineStageFlags stage) override;
    // One value per written query; a query not yet available reads 0.
    std::vector<uint64_t> queryResults() override;
    void reset() override;
    float timestampPeriod() const override { return period; }

    VkCommandBuffer commandBuffer{ VK_NULL_HANDLE };
    Handle<CommandRecorder_t> commandRecorderHandle; // tells whether a render pass is being recorded
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    uint32_t usedCount{ 0 };
    uint32_t startQuery{ 0 };
    uint32_t maxQueryCount{ 0 };
    float period{ 1.0f }; // nanoseconds per tick

private:
    VkQueryPool queryPool() const;
    uint32_t passViewCount() const;
};

// A range of queries handed to one recorder.
struct TimestampQueryRange {
    uint32_t startQuery{ 0 };
    uint32_t count{ 0 };
    bool operator==(const TimestampQueryRange &) const = default;
};

} // namespace TbGpu
