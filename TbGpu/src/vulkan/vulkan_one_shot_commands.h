#pragma once

#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

#include <functional>

namespace TbGpu {

class VulkanResourceManager;

// A minimal internal transfer path, used where the library itself must move bytes on the GPU (filling GPU-only
// buffers from initial data). It is not a command recorder: it records into a transient command buffer on the
// device's first queue, submits, waits for completion and destroys everything again. The recorded work is
// followed by a barrier that makes transfer writes available to all later commands and to the host.
VkResult runOneShotCommands(VulkanResourceManager &manager, const Handle<Device_t> &device,
                            const std::function<void(VkCommandBuffer)> &record);

// Copies size bytes from the start of src to the start of dst, and waits.
VkResult copyBufferNow(VulkanResourceManager &manager, const Handle<Device_t> &device, VkBuffer src, VkBuffer dst,
                       VkDeviceSize size);

// Writes data into dst (which needs transfer-destination usage) through a host-visible staging buffer.
VkResult uploadThroughStaging(VulkanResourceManager &manager, const Handle<Device_t> &device, VkBuffer dst,
                              const void *data, VkDeviceSize size);

} // namespace TbGpu
