#pragma once

#include <TbGpu/api/api_buffer.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class MemoryAllocation;
class VulkanResourceManager;

// The buffers-pool record.
struct VulkanBuffer : public ApiBuffer {
    VulkanBuffer() = default;
    VulkanBuffer(VkBuffer buffer, MemoryAllocation *allocation, VulkanResourceManager *manager,
                 const Handle<Device_t> &deviceHandle, MemoryHandle memoryHandle);

    void *map() override;
    void unmap() override;
    void invalidate() override;
    void flush() override;
    MemoryHandle externalMemoryHandle() const override { return memoryHandle; }

    VkBuffer buffer{ VK_NULL_HANDLE };
    MemoryAllocation *allocation{ nullptr };
    void *mapped{ nullptr };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    MemoryHandle memoryHandle;
};

} // namespace TbGpu
