#pragma once

#include "vulkan/render_pass_cache.h"

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The render-passes-pool record, shared by pipelines and by the render pass cache of the device.
struct VulkanRenderPass {
    VkRenderPass renderPass{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

// Makes the one-subpass render pass a key describes: the colour attachments, each followed by its resolve
// attachment, then depth-stencil and its resolve; a view mask for more than one view; and the external dependencies
// every render pass of the library declares.
VkResult createVkRenderPass(VkDevice device, const RenderPassKey &key, VkRenderPass *renderPass);

} // namespace TbGpu
