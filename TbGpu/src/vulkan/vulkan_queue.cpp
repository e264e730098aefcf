#include <TbGpu/vulkan/vulkan_queue.h>

namespace TbGpu {

VulkanQueue::VulkanQueue(VkQueue queue, VulkanResourceManager *manager)
    : queue(queue)
    , vulkanResourceManager(manager)
{
}

ResultCode VulkanQueue::waitUntilIdle()
{
    return static_cast<ResultCode>(vkQueueWaitIdle(queue));
}

} // namespace TbGpu
