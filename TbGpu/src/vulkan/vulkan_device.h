#pragma once

#include "vulkan/framebuffer_cache.h"
#include "vulkan/memory_allocator.h"
#include "vulkan/render_pass_cache.h"

#include <TbGpu/api/api_device.h>

#include <vulkan/vulkan.h>

#include <memory>
#include <string>
#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The devices-pool record: the logical device, its memory allocator, queues and the per-device objects that are
// made on demand (command pools per queue family, descriptor pools, cached render passes and framebuffers, the
// timestamp query pool). Deleting the device destroys all of those.
struct VulkanDevice : public ApiDevice {
    VulkanDevice() = default;
    VulkanDevice(VkDevice device, VulkanResourceManager *manager, const Handle<Adapter_t> &adapterHandle,
                 std::vector<std::string> enabledExtensions, bool isOwned = true);

    std::vector<QueueDescription> getQueues(ResourceManager *resourceManager,
                                            const std::vector<QueueRequest> &queueRequests,
                                            const std::vector<AdapterQueueType> &queueTypes) override;
    ResultCode waitUntilIdle() override;

    bool hasEnabledExtension(const char *name) const;

    VkDevice device{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Adapter_t> adapterHandle;
    std::unique_ptr<MemoryAllocator> allocator; // null when it could not be made: allocations then fail
    std::vector<QueueDescription> queueDescriptions;
    std::vector<VkCommandPool> commandPools; // one per queue family, made when first needed
    std::vector<VkDescriptorPool> descriptorPools;
    // Live sets of each descriptor pool (same order): a pool is full at its set limit even where the driver
    // would hand out more.
    std::vector<uint32_t> descriptorPoolSetCounts;
    RenderPassCache renderPasses;
    FramebufferCache framebuffers;
    VkQueryPool timestampQueryPool{ VK_NULL_HANDLE };
    PFN_vkCmdPipelineBarrier2KHR vkCmdPipelineBarrier2KHR{ nullptr }; // null: barriers take the legacy path
    PFN_vkGetSemaphoreFdKHR vkGetSemaphoreFdKHR{ nullptr }; // null unless VK_KHR_external_semaphore_fd is on
    PFN_vkGetMemoryFdKHR vkGetMemoryFdKHR{ nullptr }; // null unless VK_KHR_external_memory_fd is on
    bool isOwned{ true };
    bool sampleRateShadingEnabled{ false }; // multisampled pipelines shade per sample only where it is on
    std::vector<std::string> enabledExtensions;
};

} // namespace TbGpu
