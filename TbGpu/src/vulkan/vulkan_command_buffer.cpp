#include "vulkan/vulkan_command_buffer.h"

#include <TbGpu/utils/logging.h>

namespace TbGpu {

void VulkanCommandBuffer::begin()
{
    VkCommandBufferBeginInfo beginInfo{ VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO };
    beginInfo.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    // A secondary buffer recorded outside any render pass still needs inheritance info, all zero.
    VkCommandBufferInheritanceInfo inheritance{ VK_STRUCTURE_TYPE_COMMAND_BUFFER_INHERITANCE_INFO };
    if (level == VK_COMMAND_BUFFER_LEVEL_SECONDARY)
        beginInfo.pInheritanceInfo = &inheritance;
    const VkResult result = vkBeginCommandBuffer(commandBuffer, &beginInfo);
    if (result != VK_SUCCESS)
        TBGPU_LOG_ERROR("Unable to begin command buffer recording: {}", static_cast<int>(result));
}

void VulkanCommandBuffer::finish()
{
    const VkResult result = vkEndCommandBuffer(commandBuffer);
    if (result != VK_SUCCESS)
        TBGPU_LOG_ERROR("Unable to end command buffer recording: {}", static_cast<int>(result));
}

} // namespace TbGpu
