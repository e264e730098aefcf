#include "vulkan/vulkan_queue.h"

#include "vulkan/vulkan_resource_manager.h"
#include "vulkan/vulkan_swapchain.h"

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

ResultCode VulkanQueue::submit(const SubmitOptions &options)
{
    waitSemaphores.clear();
    waitStages.clear();
    signalSemaphores.clear();
    commandBuffers.clear();
    for (const Handle<GpuSemaphore_t> &handle : options.waitSemaphores) {
        if (const VulkanGpuSemaphore *semaphore = vulkanResourceManager->getGpuSemaphore(handle)) {
            waitSemaphores.push_back(semaphore->semaphore);
            waitStages.push_back(semaphore->waitStage);
        }
    }
    for (const Handle<GpuSemaphore_t> &handle : options.signalSemaphores) {
        if (VulkanGpuSemaphore *semaphore = vulkanResourceManager->getGpuSemaphore(handle)) {
            signalSemaphores.push_back(semaphore->semaphore);
            semaphore->waitStage = VK_PIPELINE_STAGE_ALL_COMMANDS_BIT;
        }
    }
    for (const Handle<CommandBuffer_t> &handle : options.commandBuffers)
        if (const VulkanCommandBuffer *buffer = vulkanResourceManager->getCommandBuffer(handle))
            commandBuffers.push_back(buffer->commandBuffer);

    VkSubmitInfo submitInfo{ VK_STRUCTURE_TYPE_SUBMIT_INFO };
    submitInfo.waitSemaphoreCount = static_cast<uint32_t>(waitSemaphores.size());
    submitInfo.pWaitSemaphores = waitSemaphores.empty() ? nullptr : waitSemaphores.data();
    submitInfo.pWaitDstStageMask = waitStages.empty() ? nullptr : waitStages.data();
    submitInfo.commandBufferCount = static_cast<uint32_t>(commandBuffers.size());
    submitInfo.pCommandBuffers = commandBuffers.empty() ? nullptr : commandBuffers.data();
    submitInfo.signalSemaphoreCount = static_cast<uint32_t>(signalSemaphores.size());
    submitInfo.pSignalSemaphores = signalSemaphores.empty() ? nullptr : signalSemaphores.data();
    const VulkanFence *fence = vulkanResourceManager->getFence(options.signalFence);
    return static_cast<ResultCode>(vkQueueSubmit(queue, 1, &submitInfo, fence ? fence->fence : VK_NULL_HANDLE));
}

PresentResult VulkanQueue::present(const PresentOptions &options)
{
    presentWaitSemaphores.clear();
    swapchains.clear();
    imageIndices.clear();
    for (const Handle<GpuSemaphore_t> &handle : options.waitSemaphores)
        if (const VulkanGpuSemaphore *semaphore = vulkanResourceManager->getGpuSemaphore(handle))
            presentWaitSemaphores.push_back(semaphore->semaphore);
    for (const SwapchainPresentInfo &info : options.swapchainInfos) {
        if (const VulkanSwapchain *swapchain = vulkanResourceManager->getSwapchain(info.swapchain)) {
            swapchains.push_back(swapchain->swapchain);
            imageIndices.push_back(info.imageIndex);
        }
    }
    presentResults.assign(swapchains.size(), VK_SUCCESS);

    VkPresentInfoKHR presentInfo{ VK_STRUCTURE_TYPE_PRESENT_INFO_KHR };
    presentInfo.waitSemaphoreCount = static_cast<uint32_t>(presentWaitSemaphores.size());
    presentInfo.pWaitSemaphores = presentWaitSemaphores.empty() ? nullptr : presentWaitSemaphores.data();
    presentInfo.swapchainCount = static_cast<uint32_t>(swapchains.size());
    presentInfo.pSwapchains = swapchains.data();
    presentInfo.pImageIndices = imageIndices.data();
    presentInfo.pResults = presentResults.data();
    return vkResultToPresentResult(vkQueuePresentKHR(queue, &presentInfo));
}

std::vector<PresentResult> VulkanQueue::lastPerSwapchainPresentResults() const
{
    std::vector<PresentResult> results;
    results.reserve(presentResults.size());
    for (VkResult result : presentResults)
        results.push_back(vkResultToPresentResult(result));
    return results;
}

} // namespace TbGpu
