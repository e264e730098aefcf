#include "vulkan/vulkan_buffer.h"

#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

namespace TbGpu {

namespace {

MemoryAllocator *allocatorOf(VulkanResourceManager *manager, const Handle<Device_t> &deviceHandle)
{
    VulkanDevice *device = manager ? manager->getDevice(deviceHandle) : nullptr;
    return device ? device->allocator.get() : nullptr;
}

} // namespace

VulkanBuffer::VulkanBuffer(VkBuffer buffer, MemoryAllocation *allocation, VulkanResourceManager *manager,
                           const Handle<Device_t> &deviceHandle, MemoryHandle memoryHandle)
    : buffer(buffer)
    , allocation(allocation)
    , vulkanResourceManager(manager)
    , deviceHandle(deviceHandle)
    , memoryHandle(memoryHandle)
{
}

void *VulkanBuffer::map()
{
    MemoryAllocator *allocator = allocatorOf(vulkanResourceManager, deviceHandle);
    if (!allocator || !allocation)
        return nullptr;
    const VkResult result = allocator->map(allocation, &mapped);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when mapping buffer memory: {}", static_cast<int>(result));
        mapped = nullptr;
    }
    return mapped;
}

void VulkanBuffer::unmap()
{
    if (MemoryAllocator *allocator = allocatorOf(vulkanResourceManager, deviceHandle); allocator && allocation)
        allocator->unmap(allocation);
    mapped = nullptr;
}

void VulkanBuffer::invalidate()
{
    if (MemoryAllocator *allocator = allocatorOf(vulkanResourceManager, deviceHandle); allocator && allocation)
        allocator->invalidate(allocation, 0, VK_WHOLE_SIZE);
}

void VulkanBuffer::flush()
{
    if (MemoryAllocator *allocator = allocatorOf(vulkanResourceManager, deviceHandle); allocator && allocation)
        allocator->flush(allocation, 0, VK_WHOLE_SIZE);
}

} // namespace TbGpu
