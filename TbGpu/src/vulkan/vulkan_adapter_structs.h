#pragma once

#include <TbGpu/adapter_limits.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// Field-by-field copies between Vulkan's structures and the library's mirrors of them.
AdapterLimits adapterLimitsFromVulkan(const VkPhysicalDeviceLimits &limits);
AdapterSparseProperties adapterSparsePropertiesFromVulkan(const VkPhysicalDeviceSparseProperties &properties);
void copyCoreFeaturesFromVulkan(const VkPhysicalDeviceFeatures &vulkanFeatures, AdapterFeatures &features);
VkPhysicalDeviceFeatures coreFeaturesToVulkan(const AdapterFeatures &features);

} // namespace TbGpu
