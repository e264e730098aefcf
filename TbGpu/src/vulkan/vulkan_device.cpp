#include "vulkan/vulkan_device.h"

#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>

namespace TbGpu {

VulkanDevice::VulkanDevice(VkDevice device, VulkanResourceManager *manager, const Handle<Adapter_t> &adapterHandle,
                           std::vector<std::string> enabledExtensions, bool isOwned)
    : device(device)
    , vulkanResourceManager(manager)
    , adapterHandle(adapterHandle)
    , isOwned(isOwned)
    , enabledExtensions(std::move(enabledExtensions))
{
    VulkanAdapter *adapter = manager->getAdapter(adapterHandle);
    if (!adapter) {
        TBGPU_LOG_CRITICAL("Failed to create Vulkan memory allocator!");
        return;
    }

    MemoryAllocator::CreateInfo allocatorInfo;
    allocatorInfo.physicalDevice = adapter->physicalDevice;
    allocatorInfo.device = device;
    if (MemoryAllocator::create(allocatorInfo, allocator) != VK_SUCCESS)
        TBGPU_LOG_CRITICAL("Failed to create Vulkan memory allocator!");

    commandPools.assign(adapter->queueFamilyProperties.size(), VK_NULL_HANDLE);

    if (adapter->supportsSynchronization2 && hasEnabledExtension(VK_KHR_SYNCHRONIZATION_2_EXTENSION_NAME))
        vkCmdPipelineBarrier2KHR =
                reinterpret_cast<PFN_vkCmdPipelineBarrier2KHR>(vkGetDeviceProcAddr(device, "vkCmdPipelineBarrier2KHR"));
    // The POSIX counterparts of the Windows export entry points, only where the device enabled them.
    if (hasEnabledExtension(VK_KHR_EXTERNAL_SEMAPHORE_FD_EXTENSION_NAME))
        vkGetSemaphoreFdKHR =
                reinterpret_cast<PFN_vkGetSemaphoreFdKHR>(vkGetDeviceProcAddr(device, "vkGetSemaphoreFdKHR"));
    if (hasEnabledExtension(VK_KHR_EXTERNAL_MEMORY_FD_EXTENSION_NAME))
        vkGetMemoryFdKHR = reinterpret_cast<PFN_vkGetMemoryFdKHR>(vkGetDeviceProcAddr(device, "vkGetMemoryFdKHR"));
}

bool VulkanDevice::hasEnabledExtension(const char *name) const
{
    return std::find(enabledExtensions.begin(), enabledExtensions.end(), name) != enabledExtensions.end();
}

std::vector<QueueDescription> VulkanDevice::getQueues(ResourceManager * /*resourceManager*/,
                                                      const std::vector<QueueRequest> &queueRequests,
                                                      const std::vector<AdapterQueueType> &queueTypes)
{
    queueDescriptions.clear();
    for (const QueueRequest &request : queueRequests) {
        for (uint32_t i = 0; i < request.count; ++i) {
            VkQueue queue = VK_NULL_HANDLE;
            vkGetDeviceQueue(device, request.queueTypeIndex, i, &queue);
            const Handle<Queue_t> handle =
                    vulkanResourceManager->insertQueue(VulkanQueue(queue, vulkanResourceManager));
            QueueDescription description;
            description.queue = handle;
            description.queueTypeIndex = request.queueTypeIndex;
            if (request.queueTypeIndex < queueTypes.size()) {
                const AdapterQueueType &type = queueTypes[request.queueTypeIndex];
                description.flags = type.flags;
                description.timestampValidBits = type.timestampValidBits;
                description.minImageTransferGranularity = type.minImageTransferGranularity;
            }
            queueDescriptions.push_back(description);
        }
    }
    return queueDescriptions;
}

ResultCode VulkanDevice::waitUntilIdle()
{
    return static_cast<ResultCode>(vkDeviceWaitIdle(device));
}

} // namespace TbGpu
