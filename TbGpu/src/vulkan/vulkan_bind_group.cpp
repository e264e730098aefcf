#include "vulkan/vulkan_bind_group.h"

#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

namespace TbGpu {

namespace {

// The Vulkan objects of one entry; a handle that names nothing leaves its object null.
struct ResolvedResource {
    VkDescriptorImageInfo image{};
    VkDescriptorBufferInfo buffer{};
    bool complete{ false };
};

VkImageView viewOf(VulkanResourceManager *manager, const Handle<TextureView_t> &handle)
{
    const VulkanTextureView *view = manager->getTextureView(handle);
    return view ? view->imageView : VK_NULL_HANDLE;
}

VkSampler samplerOf(VulkanResourceManager *manager, const Handle<Sampler_t> &handle)
{
    const VulkanSampler *sampler = manager->getSampler(handle);
    return sampler ? sampler->sampler : VK_NULL_HANDLE;
}

ResolvedResource resolve(VulkanResourceManager *manager, const BindingResource &resource)
{
    ResolvedResource resolved;
    if (const auto *sampler = std::get_if<SamplerBinding>(&resource)) {
        resolved.image.sampler = samplerOf(manager, sampler->sampler);
        resolved.complete = resolved.image.sampler != VK_NULL_HANDLE;
    } else if (const auto *combined = std::get_if<TextureViewSamplerBinding>(&resource)) {
        resolved.image = { samplerOf(manager, combined->sampler), viewOf(manager, combined->textureView),
                           VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL };
        resolved.complete = resolved.image.sampler != VK_NULL_HANDLE && resolved.image.imageView != VK_NULL_HANDLE;
    } else if (const auto *sampled = std::get_if<TextureViewBinding>(&resource)) {
        resolved.image = { VK_NULL_HANDLE, viewOf(manager, sampled->textureView),
                           VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL };
        resolved.complete = resolved.image.imageView != VK_NULL_HANDLE;
    } else if (const auto *storage = std::get_if<ImageBinding>(&resource)) {
        resolved.image = { VK_NULL_HANDLE, viewOf(manager, storage->textureView), VK_IMAGE_LAYOUT_GENERAL };
        resolved.complete = resolved.image.imageView != VK_NULL_HANDLE;
    } else {
        const BufferBinding *binding = std::get_if<UniformBufferBinding>(&resource);
        if (!binding)
            binding = std::get_if<StorageBufferBinding>(&resource);
        if (!binding)
            binding = std::get_if<DynamicUniformBufferBinding>(&resource);
        if (!binding)
            return resolved;
        const VulkanBuffer *buffer = manager->getBuffer(binding->buffer);
        resolved.buffer = { buffer ? buffer->buffer : VK_NULL_HANDLE, binding->offset,
                            binding->size == BufferBinding::WholeSize ? VK_WHOLE_SIZE : binding->size };
        resolved.complete = buffer != nullptr;
    }
    return resolved;
}

} // namespace

void VulkanBindGroup::update(const BindGroupEntry &entry)
{
    const VulkanDevice *device = vulkanResourceManager->getDevice(deviceHandle);
    if (!device)
        return;
    const ResolvedResource resolved = resolve(vulkanResourceManager, entry.resource);
    if (!resolved.complete) {
        // Writing a null object into a set is invalid usage; the binding keeps what it had.
        TBGPU_LOG_WARN("Bind group entry at binding {} names a resource that does not exist", entry.binding);
        return;
    }
    VkWriteDescriptorSet write{ VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET };
    write.dstSet = descriptorSet;
    write.dstBinding = entry.binding;
    write.dstArrayElement = 0;
    write.descriptorCount = 1;
    write.descriptorType = static_cast<VkDescriptorType>(resourceBindingType(entry.resource));
    if (std::holds_alternative<UniformBufferBinding>(entry.resource) ||
        std::holds_alternative<StorageBufferBinding>(entry.resource) ||
        std::holds_alternative<DynamicUniformBufferBinding>(entry.resource))
        write.pBufferInfo = &resolved.buffer;
    else
        write.pImageInfo = &resolved.image;
    vkUpdateDescriptorSets(device->device, 1, &write, 0, nullptr);
}

} // namespace TbGpu
