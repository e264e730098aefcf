#include "vulkan/vulkan_instance.h"

#include "vulkan/vulkan_platform_surface.h"
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

#include <cstring>

namespace TbGpu {

VulkanInstance::VulkanInstance(VulkanResourceManager *manager, VkInstance instance, bool isOwned)
    : vulkanResourceManager(manager)
    , instance(instance)
    , isOwned(isOwned)
{
}

std::vector<Extension> VulkanInstance::extensions() const
{
    return getInstanceExtensions();
}

std::vector<Handle<Adapter_t>> VulkanInstance::queryAdapters()
{
    uint32_t count = 0;
    if (vkEnumeratePhysicalDevices(instance, &count, nullptr) != VK_SUCCESS)
        return {};
    std::vector<VkPhysicalDevice> physicalDevices(count);
    if (vkEnumeratePhysicalDevices(instance, &count, physicalDevices.data()) < VK_SUCCESS)
        return {};
    physicalDevices.resize(count);

    const Handle<Instance_t> self = vulkanResourceManager->handleOfInstance(this);
    std::vector<Handle<Adapter_t>> adapters;
    adapters.reserve(physicalDevices.size());
    for (VkPhysicalDevice physicalDevice : physicalDevices)
        adapters.push_back(
                vulkanResourceManager->insertAdapter(VulkanAdapter(physicalDevice, vulkanResourceManager, self)));
    return adapters;
}

Handle<Surface_t> VulkanInstance::createSurface(const SurfaceOptions &options)
{
    VkSurfaceKHR surface = VK_NULL_HANDLE;
    if (createPlatformSurface(instance, options, &surface) != VK_SUCCESS)
        return {};
    return vulkanResourceManager->insertSurface(VulkanSurface{ {}, surface, instance, true });
}

std::vector<Extension> getInstanceExtensions()
{
    uint32_t count = 0;
    VkResult result = vkEnumerateInstanceExtensionProperties(nullptr, &count, nullptr);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_CRITICAL("Unable to enumerate instance extensions: {}", static_cast<int>(result));
        return {};
    }
    std::vector<VkExtensionProperties> properties(count);
    result = vkEnumerateInstanceExtensionProperties(nullptr, &count, properties.data());
    if (result != VK_SUCCESS) {
        TBGPU_LOG_CRITICAL("Unable to query instance extensions: {}", static_cast<int>(result));
        return {};
    }
    std::vector<Extension> extensions;
    extensions.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        extensions.push_back({ properties[i].extensionName, properties[i].specVersion });
    return extensions;
}

VKAPI_ATTR VkBool32 VKAPI_CALL debugCallback(VkDebugUtilsMessageSeverityFlagBitsEXT severity,
                                             VkDebugUtilsMessageTypeFlagsEXT /*types*/,
                                             const VkDebugUtilsMessengerCallbackDataEXT *callbackData,
                                             void * /*userData*/)
{
    // Window toolkits report an extent that is briefly out of date while a window resizes; the swapchain is
    // recreated right after, so this one is noise.
    if (callbackData->pMessageIdName &&
        std::strcmp(callbackData->pMessageIdName, "VUID-VkSwapchainCreateInfoKHR-imageExtent-01274") == 0)
        return VK_FALSE;
    const char *message = callbackData->pMessage ? callbackData->pMessage : "";
    if (severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT)
        TBGPU_LOG_ERROR("validation layer: {}", message);
    else if (severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT)
        TBGPU_LOG_WARN("validation layer: {}", message);
    else if (severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_INFO_BIT_EXT)
        TBGPU_LOG_INFO("validation layer: {}", message);
    return VK_FALSE;
}

} // namespace TbGpu
