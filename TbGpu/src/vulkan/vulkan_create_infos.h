#pragma once

#include <TbGpu/buffer_options.h>
#include <TbGpu/sampler_options.h>
#include <TbGpu/texture_options.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// How options become Vulkan create infos. The external-memory structures are filled and chained when an export
// was asked for; they must outlive the returned info. Queue family lists point into the options.
VkBufferCreateInfo bufferCreateInfo(const BufferOptions &options, VkExternalMemoryBufferCreateInfo &external);
VkImageCreateInfo imageCreateInfo(const TextureOptions &options, VkExternalMemoryImageCreateInfo &external);
VkSamplerCreateInfo samplerCreateInfo(const SamplerOptions &options);

// The aspect a view gets when its options leave it at 0: depth for depth-stencil attachments, colour for colour
// attachments and sampled textures, otherwise none.
VkImageAspectFlags aspectFromTextureUsage(TextureUsageFlags usage);

// Whether a usage promises host-visible memory, so initial data can be written through a mapping.
bool isHostAccessUsage(MemoryUsage usage);

} // namespace TbGpu
