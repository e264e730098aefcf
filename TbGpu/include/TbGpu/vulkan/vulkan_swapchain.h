#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The swapchains-pool record; its images are textures-pool records owned by the swapchain.
struct VulkanSwapchain {
    VkSwapchainKHR swapchain{ VK_NULL_HANDLE };
    Format format{ Format::UNDEFINED };
    Extent3D extent;
    uint32_t arrayLayers{ 1 };
    TextureUsageFlags usage;
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
