#include "vulkan/vulkan_one_shot_commands.h"

#include "vulkan/vulkan_resource_manager.h"

#include <cstring>

namespace TbGpu {

VkResult runOneShotCommands(VulkanResourceManager &manager, const Handle<Device_t> &deviceHandle,
                            const std::function<void(VkCommandBuffer)> &record)
{
    VulkanDevice *device = manager.getDevice(deviceHandle);
    if (!device || device->queueDescriptions.empty())
        return VK_ERROR_INITIALIZATION_FAILED;
    const QueueDescription &description = device->queueDescriptions.front();
    VulkanQueue *queue = manager.getQueue(description.queue);
    if (!queue)
        return VK_ERROR_INITIALIZATION_FAILED;
    const VkDevice vkDevice = device->device;

    VkCommandPoolCreateInfo poolInfo{ VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO };
    poolInfo.flags = VK_COMMAND_POOL_CREATE_TRANSIENT_BIT;
    poolInfo.queueFamilyIndex = description.queueTypeIndex;
    VkCommandPool pool = VK_NULL_HANDLE;
    VkResult result = vkCreateCommandPool(vkDevice, &poolInfo, nullptr, &pool);
    if (result != VK_SUCCESS)
        return result;

    VkCommandBufferAllocateInfo allocateInfo{ VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO };
    allocateInfo.commandPool = pool;
    allocateInfo.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
    allocateInfo.commandBufferCount = 1;
    VkCommandBuffer commandBuffer = VK_NULL_HANDLE;
    VkFence fence = VK_NULL_HANDLE;
    result = vkAllocateCommandBuffers(vkDevice, &allocateInfo, &commandBuffer);
    if (result == VK_SUCCESS) {
        VkCommandBufferBeginInfo beginInfo{ VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO };
        beginInfo.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
        result = vkBeginCommandBuffer(commandBuffer, &beginInfo);
    }
    if (result == VK_SUCCESS) {
        record(commandBuffer);
        VkMemoryBarrier barrier{ VK_STRUCTURE_TYPE_MEMORY_BARRIER };
        barrier.srcAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
        barrier.dstAccessMask = VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT | VK_ACCESS_HOST_READ_BIT;
        vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_TRANSFER_BIT,
                             VK_PIPELINE_STAGE_ALL_COMMANDS_BIT | VK_PIPELINE_STAGE_HOST_BIT, 0, 1, &barrier, 0,
                             nullptr, 0, nullptr);
        result = vkEndCommandBuffer(commandBuffer);
    }
    if (result == VK_SUCCESS) {
        VkFenceCreateInfo fenceInfo{ VK_STRUCTURE_TYPE_FENCE_CREATE_INFO };
        result = vkCreateFence(vkDevice, &fenceInfo, nullptr, &fence);
    }
    if (result == VK_SUCCESS) {
        VkSubmitInfo submitInfo{ VK_STRUCTURE_TYPE_SUBMIT_INFO };
        submitInfo.commandBufferCount = 1;
        submitInfo.pCommandBuffers = &commandBuffer;
        result = vkQueueSubmit(queue->queue, 1, &submitInfo, fence);
    }
    if (result == VK_SUCCESS)
        result = vkWaitForFences(vkDevice, 1, &fence, VK_TRUE, UINT64_MAX);

    if (fence != VK_NULL_HANDLE)
        vkDestroyFence(vkDevice, fence, nullptr);
    vkDestroyCommandPool(vkDevice, pool, nullptr); // frees the command buffer with it
    return result;
}

VkResult copyBufferNow(VulkanResourceManager &manager, const Handle<Device_t> &device, VkBuffer src, VkBuffer dst,
                       VkDeviceSize size)
{
    return runOneShotCommands(manager, device, [&](VkCommandBuffer commandBuffer) {
        const VkBufferCopy region{ 0, 0, size };
        vkCmdCopyBuffer(commandBuffer, src, dst, 1, &region);
    });
}

VkResult uploadThroughStaging(VulkanResourceManager &manager, const Handle<Device_t> &deviceHandle, VkBuffer dst,
                              const void *data, VkDeviceSize size)
{
    VulkanDevice *device = manager.getDevice(deviceHandle);
    if (!device || !device->allocator)
        return VK_ERROR_INITIALIZATION_FAILED;
    MemoryAllocator &allocator = *device->allocator;

    VkBufferCreateInfo stagingInfo{ VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO };
    stagingInfo.size = size;
    stagingInfo.usage = VK_BUFFER_USAGE_TRANSFER_SRC_BIT;
    stagingInfo.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    MemoryAllocationCreateInfo allocationInfo;
    allocationInfo.usage = MemoryUsage::CpuOnly;
    VkBuffer staging = VK_NULL_HANDLE;
    MemoryAllocation *allocation = nullptr;
    VkResult result = allocator.createBuffer(stagingInfo, allocationInfo, &staging, &allocation);
    if (result != VK_SUCCESS)
        return result;

    void *mapped = nullptr;
    result = allocator.map(allocation, &mapped);
    if (result == VK_SUCCESS) {
        std::memcpy(mapped, data, size);
        allocator.flush(allocation, 0, VK_WHOLE_SIZE);
        allocator.unmap(allocation);
        result = copyBufferNow(manager, deviceHandle, staging, dst, size);
    }
    // The device record may have moved while the copy ran; the allocator object itself has not.
    allocator.destroyBuffer(staging, allocation);
    return result;
}

} // namespace TbGpu
