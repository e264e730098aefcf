#pragma once

#include <TbGpu/api/api_swapchain.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

class VulkanResourceManager;

// The swapchains-pool record; its images are textures-pool records owned by the swapchain, made on the first
// getTextures() and released with the swapchain, so no texture handle outlives the image it names.
struct VulkanSwapchain : public ApiSwapchain {
    VulkanSwapchain() = default;

    std::vector<Handle<Texture_t>> getTextures() override;
    // Never recreates anything: OutOfDate and SurfaceLost ask the caller to.
    AcquireImageResult getNextImageIndex(uint32_t &imageIndex, const Handle<GpuSemaphore_t> &semaphore) override;

    VkSwapchainKHR swapchain{ VK_NULL_HANDLE };
    Format format{ Format::UNDEFINED };
    Extent3D extent;
    uint32_t arrayLayers{ 1 };
    TextureUsageFlags usage;
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
    std::vector<Handle<Texture_t>> textures; // empty until first listed
};

// Acquire and present results reduced to what a caller acts on (suboptimal, timeout and not-ready are Success).
AcquireImageResult vkResultToPresentResult(VkResult result);

} // namespace TbGpu
