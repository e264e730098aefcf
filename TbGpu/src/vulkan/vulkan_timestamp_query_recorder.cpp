#include "vulkan/vulkan_timestamp_query_recorder.h"

#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>

namespace TbGpu {

VulkanTimestampQueryRecorder::VulkanTimestampQueryRecorder(VkCommandBuffer buffer,
                                                           const Handle<CommandRecorder_t> &recorder,
                                                           VulkanResourceManager *manager,
                                                           const Handle<Device_t> &device, uint32_t startQuery,
                                                           uint32_t maxQueryCount, float timestampPeriod)
    : commandBuffer(buffer)
    , commandRecorderHandle(recorder)
    , vulkanResourceManager(manager)
    , deviceHandle(device)
    , startQuery(startQuery)
    , maxQueryCount(maxQueryCount)
    , period(timestampPeriod)
{
    reset();
}

VkQueryPool VulkanTimestampQueryRecorder::queryPool() const
{
    const VulkanDevice *device = vulkanResourceManager->getDevice(deviceHandle);
    return device ? device->timestampQueryPool : VK_NULL_HANDLE;
}

uint32_t VulkanTimestampQueryRecorder::passViewCount() const
{
    const VulkanCommandRecorder *recorder = vulkanResourceManager->getCommandRecorder(commandRecorderHandle);
    return recorder ? recorder->passViewCount : 0;
}

uint32_t VulkanTimestampQueryRecorder::writeTimestamp(PipelineStageFlags stage)
{
    const uint32_t passViews = passViewCount();
    const uint32_t queries = std::max(passViews, 1u);
    uint32_t query = startQuery + usedCount;
    if (usedCount + queries > maxQueryCount) {
        if (passViews != 0) {
            TBGPU_LOG_WARN("TimestampQueryRecorder query count exceeded inside a render pass, timestamp dropped");
            return usedCount;
        }
        TBGPU_LOG_WARN("TimestampQueryRecorder query count exceeded, overwriting last query");
        query = startQuery + maxQueryCount - 1;
        // The query holds a timestamp already: it must be reset before it is written again.
        vkCmdResetQueryPool(commandBuffer, queryPool(), query, 1);
    } else {
        usedCount += queries;
    }
    vkCmdWriteTimestamp(commandBuffer,
                        static_cast<VkPipelineStageFlagBits>(pipelineStageFlagsToVkPipelineStageFlagBits(stage)),
                        queryPool(), query);
    return usedCount;
}

std::vector<uint64_t> VulkanTimestampQueryRecorder::queryResults()
{
    const VulkanDevice *device = vulkanResourceManager->getDevice(deviceHandle);
    if (!device || usedCount == 0)
        return {};
    std::vector<uint64_t> raw(size_t(usedCount) * 2); // a value and its availability word per query
    const VkResult result = vkGetQueryPoolResults(device->device, device->timestampQueryPool, startQuery, usedCount,
                                                  raw.size() * sizeof(uint64_t), raw.data(), 2 * sizeof(uint64_t),
                                                  VK_QUERY_RESULT_64_BIT | VK_QUERY_RESULT_WITH_AVAILABILITY_BIT);
    if (result == VK_NOT_READY) {
        TBGPU_LOG_WARN("Timestamp query results not ready");
    } else if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when retrieving timestamp query results: {}", static_cast<int>(result));
        return {};
    }
    std::vector<uint64_t> timestamps(usedCount);
    for (uint32_t i = 0; i < usedCount; ++i)
        timestamps[i] = raw[2 * i + 1] != 0 ? raw[2 * i] : 0;
    return timestamps;
}

void VulkanTimestampQueryRecorder::reset()
{
    vkCmdResetQueryPool(commandBuffer, queryPool(), startQuery, maxQueryCount);
}

} // namespace TbGpu
