#pragma once

// The rig for TbGpu's own tests, which also look into the Vulkan records behind the front objects.

#include "gpu_test_rig.h"
#include "vulkan/vulkan_resource_manager.h"

namespace TbGpuTest {

// Options for an instance the library makes and owns, watched by the validation layer.
inline TbGpu::InstanceOptions validatedInstanceOptions()
{
    TbGpu::InstanceOptions options;
    options.applicationName = "TbGpu tests";
    options.layers = { "VK_LAYER_KHRONOS_validation" };
    options.extensions = { VK_EXT_DEBUG_UTILS_EXTENSION_NAME };
    return options;
}

class VulkanTestRig : public GpuTestRig
{
protected:
    TbGpu::VulkanResourceManager *manager() { return api.vulkanResourceManager(); }
    TbGpu::VulkanDevice *deviceRecord() { return manager()->getDevice(device.handle()); }
    TbGpu::MemoryAllocatorStatistics allocatorStatistics() { return deviceRecord()->allocator->statistics(); }
};

} // namespace TbGpuTest
