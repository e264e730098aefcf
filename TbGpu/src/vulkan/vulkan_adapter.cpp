#include "vulkan/vulkan_adapter.h"

#include "vulkan/vulkan_adapter_structs.h"
#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>
#include <cstring>

namespace TbGpu {

VulkanAdapter::VulkanAdapter(VkPhysicalDevice physicalDevice, VulkanResourceManager *manager,
                             const Handle<Instance_t> &instanceHandle)
    : physicalDevice(physicalDevice)
    , vulkanResourceManager(manager)
    , instanceHandle(instanceHandle)
{
}

std::vector<Extension> VulkanAdapter::extensions() const
{
    uint32_t count = 0;
    VkResult result = vkEnumerateDeviceExtensionProperties(physicalDevice, nullptr, &count, nullptr);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_CRITICAL("Unable to enumerate device extensions: {}", static_cast<int>(result));
        return {};
    }
    std::vector<VkExtensionProperties> properties(count);
    result = vkEnumerateDeviceExtensionProperties(physicalDevice, nullptr, &count, properties.data());
    if (result != VK_SUCCESS) {
        TBGPU_LOG_CRITICAL("Unable to query device extensions: {}", static_cast<int>(result));
        return {};
    }
    std::vector<Extension> extensions;
    extensions.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        extensions.push_back({ properties[i].extensionName, properties[i].specVersion });
    return extensions;
}

bool VulkanAdapter::hasExtension(const char *name) const
{
    const std::vector<Extension> available = extensions();
    return std::any_of(available.begin(), available.end(),
                       [name](const Extension &extension) { return extension.name == name; });
}

AdapterProperties VulkanAdapter::queryAdapterProperties() const
{
    VkPhysicalDeviceMultiviewProperties multiView{ VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_MULTIVIEW_PROPERTIES };
    VkPhysicalDeviceDepthStencilResolveProperties depthResolve{
        VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_DEPTH_STENCIL_RESOLVE_PROPERTIES
    };
    multiView.pNext = &depthResolve;
    VkPhysicalDeviceProperties2 properties2{ VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_PROPERTIES_2 };
    properties2.pNext = &multiView;
    vkGetPhysicalDeviceProperties2(physicalDevice, &properties2);

    const VkPhysicalDeviceProperties &p = properties2.properties;
    AdapterProperties properties;
    properties.apiVersion = p.apiVersion;
    properties.driverVersion = p.driverVersion;
    properties.vendorID = p.vendorID;
    properties.deviceID = p.deviceID;
    properties.deviceType = vkPhysicalDeviceTypeToAdapterDeviceType(p.deviceType);
    properties.deviceName = p.deviceName;
    std::memcpy(properties.pipelineCacheUUID.data(), p.pipelineCacheUUID, VK_UUID_SIZE);
    properties.limits = adapterLimitsFromVulkan(p.limits);
    properties.sparseProperties = adapterSparsePropertiesFromVulkan(p.sparseProperties);
    properties.multiViewProperties = { multiView.maxMultiviewViewCount, multiView.maxMultiviewInstanceIndex };
    properties.depthResolveProperties = { ResolveModeFlags::fromInt(depthResolve.supportedDepthResolveModes),
                                          ResolveModeFlags::fromInt(depthResolve.supportedStencilResolveModes),
                                          depthResolve.independentResolveNone == VK_TRUE,
                                          depthResolve.independentResolve == VK_TRUE };
    return properties;
}

AdapterFeatures VulkanAdapter::queryAdapterFeatures()
{
    VkPhysicalDeviceUniformBufferStandardLayoutFeatures standardLayout{
        VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_UNIFORM_BUFFER_STANDARD_LAYOUT_FEATURES
    };
    VkPhysicalDeviceMultiviewFeatures multiView{ VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_MULTIVIEW_FEATURES };
    VkPhysicalDeviceSynchronization2FeaturesKHR synchronization2{
        VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_SYNCHRONIZATION_2_FEATURES_KHR
    };
    standardLayout.pNext = &multiView;
    // Only adapters that offer the extension may be asked about its features.
    if (hasExtension(VK_KHR_SYNCHRONIZATION_2_EXTENSION_NAME))
        multiView.pNext = &synchronization2;
    VkPhysicalDeviceFeatures2 features2{ VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_FEATURES_2 };
    features2.pNext = &standardLayout;
    vkGetPhysicalDeviceFeatures2(physicalDevice, &features2);

    AdapterFeatures features;
    copyCoreFeaturesFromVulkan(features2.features, features);
    features.uniformBufferStandardLayout = standardLayout.uniformBufferStandardLayout == VK_TRUE;
    features.multiView = multiView.multiview == VK_TRUE;
    features.multiViewGeometryShader = multiView.multiviewGeometryShader == VK_TRUE;
    features.multiViewTessellationShader = multiView.multiviewTessellationShader == VK_TRUE;
    supportsSynchronization2 = synchronization2.synchronization2 == VK_TRUE;
    return features;
}

SwapchainProperties VulkanAdapter::querySwapchainProperties(const Handle<Surface_t> &surfaceHandle) const
{
    SwapchainProperties properties;
    const VulkanSurface *surface = vulkanResourceManager->getSurface(surfaceHandle);
    if (!surface)
        return properties;

    VkSurfaceCapabilitiesKHR c{};
    if (vkGetPhysicalDeviceSurfaceCapabilitiesKHR(physicalDevice, surface->surface, &c) == VK_SUCCESS) {
        properties.capabilities = { c.minImageCount,
                                    c.maxImageCount,
                                    { c.currentExtent.width, c.currentExtent.height },
                                    { c.minImageExtent.width, c.minImageExtent.height },
                                    { c.maxImageExtent.width, c.maxImageExtent.height },
                                    c.maxImageArrayLayers,
                                    SurfaceTransformFlags::fromInt(c.supportedTransforms),
                                    static_cast<SurfaceTransformFlagBits>(c.currentTransform),
                                    CompositeAlphaFlags::fromInt(c.supportedCompositeAlpha),
                                    TextureUsageFlags::fromInt(c.supportedUsageFlags) };
    }

    uint32_t count = 0;
    if (vkGetPhysicalDeviceSurfaceFormatsKHR(physicalDevice, surface->surface, &count, nullptr) == VK_SUCCESS) {
        std::vector<VkSurfaceFormatKHR> formats(count);
        vkGetPhysicalDeviceSurfaceFormatsKHR(physicalDevice, surface->surface, &count, formats.data());
        formats.resize(count);
        for (const VkSurfaceFormatKHR &format : formats)
            properties.formats.push_back(
                    { static_cast<Format>(format.format), static_cast<ColorSpace>(format.colorSpace) });
    }

    count = 0;
    if (vkGetPhysicalDeviceSurfacePresentModesKHR(physicalDevice, surface->surface, &count, nullptr) == VK_SUCCESS) {
        std::vector<VkPresentModeKHR> modes(count);
        vkGetPhysicalDeviceSurfacePresentModesKHR(physicalDevice, surface->surface, &count, modes.data());
        modes.resize(count);
        for (VkPresentModeKHR mode : modes)
            properties.presentModes.push_back(static_cast<PresentMode>(mode));
    }
    return properties;
}

std::vector<AdapterQueueType> VulkanAdapter::queryQueueTypes()
{
    uint32_t count = 0;
    vkGetPhysicalDeviceQueueFamilyProperties(physicalDevice, &count, nullptr);
    queueFamilyProperties.resize(count);
    vkGetPhysicalDeviceQueueFamilyProperties(physicalDevice, &count, queueFamilyProperties.data());

    std::vector<AdapterQueueType> queueTypes;
    queueTypes.reserve(count);
    for (const VkQueueFamilyProperties &family : queueFamilyProperties) {
        queueTypes.push_back({ QueueFlags::fromInt(family.queueFlags),
                               family.queueCount,
                               family.timestampValidBits,
                               { family.minImageTransferGranularity.width, family.minImageTransferGranularity.height,
                                 family.minImageTransferGranularity.depth } });
    }
    return queueTypes;
}

bool VulkanAdapter::supportsPresentation(const Handle<Surface_t> &surfaceHandle, uint32_t queueTypeIndex) const
{
    const VulkanSurface *surface = vulkanResourceManager->getSurface(surfaceHandle);
    if (!surface || queueTypeIndex >= queueFamilyProperties.size())
        return false;
    VkBool32 supported = VK_FALSE;
    if (vkGetPhysicalDeviceSurfaceSupportKHR(physicalDevice, queueTypeIndex, surface->surface, &supported) !=
        VK_SUCCESS)
        return false;
    return supported == VK_TRUE;
}

FormatProperties VulkanAdapter::formatProperties(Format format) const
{
    VkFormatProperties2 properties{ VK_STRUCTURE_TYPE_FORMAT_PROPERTIES_2 };
    vkGetPhysicalDeviceFormatProperties2(physicalDevice, formatToVkFormat(format), &properties);
    return { FormatFeatureFlags::fromInt(properties.formatProperties.linearTilingFeatures),
             FormatFeatureFlags::fromInt(properties.formatProperties.optimalTilingFeatures),
             FormatFeatureFlags::fromInt(properties.formatProperties.bufferFeatures) };
}

} // namespace TbGpu
