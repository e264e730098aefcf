// Swapchains, fences, GPU semaphores and timestamp query recorders of the Vulkan resource manager.
#include "vulkan/vulkan_resource_manager.h"

#include "vulkan/vulkan_enums.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>

namespace TbGpu {

// ---- Swapchains -----------------------------------------------------------------------------------------------

Handle<Swapchain_t> VulkanResourceManager::createSwapchain(const Handle<Device_t> &deviceHandle,
                                                           const SwapchainOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    // A minimised window reports a zero extent. Vulkan forbids such a swapchain, and drivers crash on it.
    if (options.imageExtent.width == 0 || options.imageExtent.height == 0 || options.imageLayers == 0) {
        TBGPU_LOG_ERROR("Error when creating swapchain: extent and array layers must be greater than 0");
        return {};
    }
    VulkanSurface *surface = m_surfaces.get(options.surface);
    if (!surface) {
        TBGPU_LOG_ERROR("Error when creating swapchain: {}", static_cast<int>(VK_ERROR_SURFACE_LOST_KHR));
        return {};
    }
    VkSwapchainCreateInfoKHR createInfo{ VK_STRUCTURE_TYPE_SWAPCHAIN_CREATE_INFO_KHR };
    createInfo.surface = surface->surface;
    createInfo.minImageCount = options.minImageCount;
    createInfo.imageFormat = formatToVkFormat(options.format);
    createInfo.imageColorSpace = static_cast<VkColorSpaceKHR>(options.colorSpace);
    createInfo.imageExtent = { options.imageExtent.width, options.imageExtent.height };
    createInfo.imageArrayLayers = options.imageLayers;
    createInfo.imageUsage = options.imageUsageFlags.toInt();
    createInfo.imageSharingMode = static_cast<VkSharingMode>(options.imageSharingMode);
    if (!options.queueTypeIndices.empty()) {
        createInfo.queueFamilyIndexCount = static_cast<uint32_t>(options.queueTypeIndices.size());
        createInfo.pQueueFamilyIndices = options.queueTypeIndices.data();
    }
    createInfo.preTransform = static_cast<VkSurfaceTransformFlagBitsKHR>(options.transform);
    createInfo.compositeAlpha = static_cast<VkCompositeAlphaFlagBitsKHR>(options.compositeAlpha);
    createInfo.presentMode = static_cast<VkPresentModeKHR>(options.presentMode);
    createInfo.clipped = options.clipped ? VK_TRUE : VK_FALSE;
    const VulkanSwapchain *old = pool<Swapchain_t>().get(options.oldSwapchain);
    createInfo.oldSwapchain = old ? old->swapchain : VK_NULL_HANDLE;

    VkSwapchainKHR swapchain = VK_NULL_HANDLE;
    const VkResult result = vkCreateSwapchainKHR(device->device, &createInfo, nullptr, &swapchain);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating swapchain: {}", static_cast<int>(result));
        return {};
    }
    VulkanSwapchain record;
    record.swapchain = swapchain;
    record.format = options.format;
    record.extent = { options.imageExtent.width, options.imageExtent.height, 1 };
    record.arrayLayers = options.imageLayers;
    record.usage = options.imageUsageFlags;
    record.vulkanResourceManager = this;
    record.deviceHandle = deviceHandle;
    return pool<Swapchain_t>().insert(std::move(record));
}

void VulkanResourceManager::deleteSwapchain(const Handle<Swapchain_t> &handle)
{
    VulkanSwapchain *swapchain = pool<Swapchain_t>().get(handle);
    if (!swapchain)
        return;
    if (VulkanDevice *device = m_devices.get(swapchain->deviceHandle))
        vkDestroySwapchainKHR(device->device, swapchain->swapchain, nullptr);
    // The images went with the swapchain: their texture records go too, so no handle names a destroyed image.
    for (const Handle<Texture_t> &texture : swapchain->textures)
        pool<Texture_t>().remove(texture);
    swapchain->textures.clear();
    pool<Swapchain_t>().remove(handle);
}

// ---- Fences ---------------------------------------------------------------------------------------------------

Handle<Fence_t> VulkanResourceManager::createFence(const Handle<Device_t> &deviceHandle, const FenceOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    VkFenceCreateInfo createInfo{ VK_STRUCTURE_TYPE_FENCE_CREATE_INFO };
    createInfo.flags = options.createSignalled ? VK_FENCE_CREATE_SIGNALED_BIT : 0;
    VkFence fence = VK_NULL_HANDLE;
    const VkResult result = vkCreateFence(device->device, &createInfo, nullptr, &fence);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating fence: {}", static_cast<int>(result));
        return {};
    }
    return pool<Fence_t>().insert(VulkanFence(fence, this, deviceHandle));
}

void VulkanResourceManager::deleteFence(const Handle<Fence_t> &handle)
{
    VulkanFence *fence = pool<Fence_t>().get(handle);
    if (!fence)
        return;
    if (VulkanDevice *device = m_devices.get(fence->deviceHandle))
        vkDestroyFence(device->device, fence->fence, nullptr);
    pool<Fence_t>().remove(handle);
}

// ---- GPU semaphores -------------------------------------------------------------------------------------------

Handle<GpuSemaphore_t> VulkanResourceManager::createGpuSemaphore(const Handle<Device_t> &deviceHandle,
                                                                 const GpuSemaphoreOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    VkSemaphoreCreateInfo createInfo{ VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO };
    // Export is only declared where the device can export a file descriptor: declaring a handle type the device
    // does not support is invalid usage, so elsewhere an ordinary semaphore with an empty handle is made.
    const bool exportFd = options.externalSemaphoreHandleType.toInt() != 0 && device->vkGetSemaphoreFdKHR;
    VkExportSemaphoreCreateInfo exportInfo{ VK_STRUCTURE_TYPE_EXPORT_SEMAPHORE_CREATE_INFO };
    exportInfo.handleTypes = VK_EXTERNAL_SEMAPHORE_HANDLE_TYPE_OPAQUE_FD_BIT;
    if (exportFd)
        createInfo.pNext = &exportInfo;
    VkSemaphore semaphore = VK_NULL_HANDLE;
    const VkResult result = vkCreateSemaphore(device->device, &createInfo, nullptr, &semaphore);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating semaphore: {}", static_cast<int>(result));
        return {};
    }
    MemoryHandle exported;
    if (exportFd) {
        VkSemaphoreGetFdInfoKHR fdInfo{ VK_STRUCTURE_TYPE_SEMAPHORE_GET_FD_INFO_KHR };
        fdInfo.semaphore = semaphore;
        fdInfo.handleType = VK_EXTERNAL_SEMAPHORE_HANDLE_TYPE_OPAQUE_FD_BIT;
        int fd = -1;
        if (device->vkGetSemaphoreFdKHR(device->device, &fdInfo, &fd) == VK_SUCCESS)
            exported = FileDescriptorHandle{ fd };
    }
    return pool<GpuSemaphore_t>().insert(VulkanGpuSemaphore(semaphore, this, deviceHandle, exported));
}

void VulkanResourceManager::deleteGpuSemaphore(const Handle<GpuSemaphore_t> &handle)
{
    VulkanGpuSemaphore *semaphore = pool<GpuSemaphore_t>().get(handle);
    if (!semaphore)
        return;
    if (VulkanDevice *device = m_devices.get(semaphore->deviceHandle))
        vkDestroySemaphore(device->device, semaphore->semaphore, nullptr);
    pool<GpuSemaphore_t>().remove(handle);
}

// ---- Timestamp query recorders --------------------------------------------------------------------------------

namespace {
constexpr uint32_t timestampQueryPoolSize = 1024;
}

// Hands out a range of the device's query pool above every range still in use.
Handle<TimestampQueryRecorder_t>
VulkanResourceManager::createTimestampQueryRecorder(const Handle<Device_t> &deviceHandle,
                                                    const Handle<CommandRecorder_t> &recorderHandle,
                                                    const TimestampQueryRecorderOptions &options)
{
    const VulkanCommandRecorder *recorder = pool<CommandRecorder_t>().get(recorderHandle);
    if (!recorder) {
        TBGPU_LOG_ERROR("Could not find a valid command recorder");
        return {};
    }
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    uint32_t startQuery = 0;
    for (const TimestampQueryRange &range : m_timestampQueryRanges)
        startQuery = std::max(startQuery, range.startQuery + range.count);
    // The ranges share one pool of fixed size: a range past its end cannot be served.
    if (options.queryCount == 0 || startQuery + options.queryCount > timestampQueryPoolSize) {
        TBGPU_LOG_ERROR("Timestamp queries {} to {} lie outside the device's {} queries", startQuery,
                        startQuery + options.queryCount, timestampQueryPoolSize);
        return {};
    }
    if (device->timestampQueryPool == VK_NULL_HANDLE) {
        VkQueryPoolCreateInfo createInfo{ VK_STRUCTURE_TYPE_QUERY_POOL_CREATE_INFO };
        createInfo.queryType = VK_QUERY_TYPE_TIMESTAMP;
        createInfo.queryCount = timestampQueryPoolSize;
        const VkResult result = vkCreateQueryPool(device->device, &createInfo, nullptr, &device->timestampQueryPool);
        if (result != VK_SUCCESS) {
            TBGPU_LOG_ERROR("Error when creating timestamp query pool: {}", static_cast<int>(result));
            device->timestampQueryPool = VK_NULL_HANDLE;
            return {};
        }
    }
    const VulkanAdapter *adapter = m_adapters.get(device->adapterHandle);
    const float period = adapter ? adapter->queryAdapterProperties().limits.timestampPeriod : 1.0f;
    const Handle<TimestampQueryRecorder_t> handle = pool<TimestampQueryRecorder_t>().insert(
            VulkanTimestampQueryRecorder(recorder->commandBuffer, recorderHandle, this, deviceHandle, startQuery,
                                         options.queryCount, period));
    m_timestampQueryRanges.push_back({ startQuery, options.queryCount });
    return handle;
}

void VulkanResourceManager::deleteTimestampQueryRecorder(const Handle<TimestampQueryRecorder_t> &handle)
{
    VulkanTimestampQueryRecorder *recorder = pool<TimestampQueryRecorder_t>().get(handle);
    if (!recorder)
        return;
    const TimestampQueryRange range{ recorder->startQuery, recorder->maxQueryCount };
    const auto found = std::find(m_timestampQueryRanges.begin(), m_timestampQueryRanges.end(), range);
    if (found != m_timestampQueryRanges.end())
        m_timestampQueryRanges.erase(found);
    pool<TimestampQueryRecorder_t>().remove(handle);
}

} // namespace TbGpu
