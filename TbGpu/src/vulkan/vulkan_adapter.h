#pragma once

#include <TbGpu/api/api_adapter.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The adapters-pool record: one physical device of an instance.
struct VulkanAdapter : public ApiAdapter {
    VulkanAdapter() = default;
    VulkanAdapter(VkPhysicalDevice physicalDevice, VulkanResourceManager *manager,
                  const Handle<Instance_t> &instanceHandle);

    std::vector<Extension> extensions() const override;
    AdapterProperties queryAdapterProperties() const override;
    AdapterFeatures queryAdapterFeatures() override;
    SwapchainProperties querySwapchainProperties(const Handle<Surface_t> &surface) const override;
    std::vector<AdapterQueueType> queryQueueTypes() override;
    bool supportsPresentation(const Handle<Surface_t> &surface, uint32_t queueTypeIndex) const override;
    FormatProperties formatProperties(Format format) const override;

    bool hasExtension(const char *name) const;

    VkPhysicalDevice physicalDevice{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Instance_t> instanceHandle;
    std::vector<VkQueueFamilyProperties> queueFamilyProperties; // filled by queryQueueTypes
    bool supportsSynchronization2{ false }; // filled by queryAdapterFeatures
};

} // namespace TbGpu
