#pragma once

#include <TbGpu/api/api_queue.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The queues-pool record. The scratch lists are reused by every submit and present so that a steady frame loop
// allocates nothing for them.
struct VulkanQueue : public ApiQueue {
    VulkanQueue() = default;
    VulkanQueue(VkQueue queue, VulkanResourceManager *manager);

    ResultCode waitUntilIdle() override;
    ResultCode submit(const SubmitOptions &options) override;
    PresentResult present(const PresentOptions &options) override;
    std::vector<PresentResult> lastPerSwapchainPresentResults() const override;

    VkQueue queue{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    std::vector<VkSemaphore> waitSemaphores;
    std::vector<VkPipelineStageFlags> waitStages;
    std::vector<VkSemaphore> signalSemaphores;
    std::vector<VkCommandBuffer> commandBuffers;
    std::vector<VkSemaphore> presentWaitSemaphores;
    std::vector<VkSwapchainKHR> swapchains;
    std::vector<uint32_t> imageIndices;
    std::vector<VkResult> presentResults;
};

} // namespace TbGpu
