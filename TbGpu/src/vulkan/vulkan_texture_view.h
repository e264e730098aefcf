#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// The texture-views-pool record, with the format and range the view was actually made with.
struct VulkanTextureView : public ApiTextureView {
    VkImageView imageView{ VK_NULL_HANDLE };
    Handle<Texture_t> textureHandle;
    Handle<Device_t> deviceHandle;
    Format format{ Format::UNDEFINED };
    TextureSubresourceRange range;
};

} // namespace TbGpu
