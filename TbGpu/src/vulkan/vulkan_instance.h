#pragma once

#include <TbGpu/api/api_instance.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The instances-pool record. An adopted instance (isOwned false) is never destroyed by the library.
// Memory export needs no instance-level entry point on POSIX: the device fetches vkGetMemoryFdKHR.
struct VulkanInstance : public ApiInstance {
    VulkanInstance() = default;
    VulkanInstance(VulkanResourceManager *manager, VkInstance instance, bool isOwned);

    std::vector<Extension> extensions() const override;
    std::vector<Handle<Adapter_t>> queryAdapters() override;
    Handle<Surface_t> createSurface(const SurfaceOptions &options) override;

    VulkanResourceManager *vulkanResourceManager{ nullptr };
    VkInstance instance{ VK_NULL_HANDLE };
    VkDebugUtilsMessengerEXT debugMessenger{ VK_NULL_HANDLE };
    bool isOwned{ true };
};

// The instance extensions the loader offers; empty (after a critical log) when it cannot say.
std::vector<Extension> getInstanceExtensions();

// The messenger callback of instances made by the library: validation messages go to the "TbGpu" logger.
VKAPI_ATTR VkBool32 VKAPI_CALL debugCallback(VkDebugUtilsMessageSeverityFlagBitsEXT severity,
                                             VkDebugUtilsMessageTypeFlagsEXT types,
                                             const VkDebugUtilsMessengerCallbackDataEXT *callbackData, void *userData);

} // namespace TbGpu
