#include "vulkan/vulkan_command_recorder.h"

#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_resource_manager.h"

#include <cstring>
#include <span>
#include <vector>

namespace TbGpu {

namespace {

VkImageSubresourceLayers subresourceLayers(const TextureSubresourceLayers &layers)
{
    return { layers.aspectMask.toInt(), layers.mipLevel, layers.baseArrayLayer, layers.layerCount };
}

VkImageSubresourceRange subresourceRange(const TextureSubresourceRange &range)
{
    return { range.aspectMask, range.baseMipLevel, range.levelCount, range.baseArrayLayer, range.layerCount };
}

VkOffset3D offset(const Offset3D &value)
{
    return { value.x, value.y, value.z };
}

VkExtent3D extent(const Extent3D &value)
{
    return { value.width, value.height, value.depth };
}

std::vector<VkBufferImageCopy> bufferImageCopies(const std::vector<BufferTextureCopyRegion> &regions)
{
    std::vector<VkBufferImageCopy> copies;
    copies.reserve(regions.size());
    for (const BufferTextureCopyRegion &region : regions)
        copies.push_back({ region.bufferOffset, region.bufferRowLength, region.bufferTextureHeight,
                           subresourceLayers(region.textureSubResource), offset(region.textureOffset),
                           extent(region.textureExtent) });
    return copies;
}

std::vector<VkImageCopy> imageCopies(const std::vector<TextureCopyRegion> &regions)
{
    std::vector<VkImageCopy> copies;
    copies.reserve(regions.size());
    for (const TextureCopyRegion &region : regions)
        copies.push_back({ subresourceLayers(region.srcSubresource), offset(region.srcOffset),
                           subresourceLayers(region.dstSubresource), offset(region.dstOffset), extent(region.extent) });
    return copies;
}

std::vector<VkImageSubresourceRange> subresourceRanges(const std::vector<TextureSubresourceRange> &ranges)
{
    std::vector<VkImageSubresourceRange> result;
    result.reserve(ranges.size());
    for (const TextureSubresourceRange &range : ranges)
        result.push_back(subresourceRange(range));
    return result;
}

} // namespace

VulkanDevice *VulkanCommandRecorder::device() const
{
    return vulkanResourceManager->getDevice(deviceHandle);
}

VkImage VulkanCommandRecorder::image(const Handle<Texture_t> &texture) const
{
    const VulkanTexture *record = vulkanResourceManager->getTexture(texture);
    return record ? record->image : VK_NULL_HANDLE;
}

VkBuffer VulkanCommandRecorder::buffer(const Handle<Buffer_t> &handle) const
{
    const VulkanBuffer *record = vulkanResourceManager->getBuffer(handle);
    return record ? record->buffer : VK_NULL_HANDLE;
}

void VulkanCommandRecorder::begin()
{
    if (VulkanCommandBuffer *buffer = vulkanResourceManager->getCommandBuffer(commandBufferHandle))
        buffer->begin();
}

Handle<CommandBuffer_t> VulkanCommandRecorder::finish()
{
    if (VulkanCommandBuffer *buffer = vulkanResourceManager->getCommandBuffer(commandBufferHandle))
        buffer->finish();
    finished = true;
    return commandBufferHandle;
}

void VulkanCommandRecorder::blitTexture(const TextureBlit &blit)
{
    std::vector<VkImageBlit> regions;
    for (const TextureBlitRegion &region : blit.regions)
        regions.push_back({ subresourceLayers(region.srcSubresource),
                            { offset(region.srcOffsets[0]), offset(region.srcOffsets[1]) },
                            subresourceLayers(region.dstSubresource),
                            { offset(region.dstOffsets[0]), offset(region.dstOffsets[1]) } });
    vkCmdBlitImage(commandBuffer, image(blit.srcTexture), textureLayoutToVkImageLayout(blit.srcLayout),
                   image(blit.dstTexture), textureLayoutToVkImageLayout(blit.dstLayout),
                   static_cast<uint32_t>(regions.size()), regions.data(), static_cast<VkFilter>(blit.scalingFilter));
}

void VulkanCommandRecorder::clearBuffer(const BufferClear &clear)
{
    vkCmdFillBuffer(commandBuffer, buffer(clear.dstBuffer), clear.dstOffset, clear.byteSize, clear.clearValue);
}

void VulkanCommandRecorder::clearColorTexture(const ClearColorTexture &clear)
{
    VkClearColorValue value;
    static_assert(sizeof(value) == sizeof(clear.clearValue));
    std::memcpy(&value, &clear.clearValue, sizeof(value));
    const std::vector<VkImageSubresourceRange> ranges = subresourceRanges(clear.ranges);
    vkCmdClearColorImage(commandBuffer, image(clear.texture), textureLayoutToVkImageLayout(clear.layout), &value,
                         static_cast<uint32_t>(ranges.size()), ranges.data());
}

void VulkanCommandRecorder::clearDepthStencilTexture(const ClearDepthStencilTexture &clear)
{
    const VkClearDepthStencilValue value{ clear.depthClearValue, clear.stencilClearValue };
    const std::vector<VkImageSubresourceRange> ranges = subresourceRanges(clear.ranges);
    vkCmdClearDepthStencilImage(commandBuffer, image(clear.texture), textureLayoutToVkImageLayout(clear.layout), &value,
                                static_cast<uint32_t>(ranges.size()), ranges.data());
}

void VulkanCommandRecorder::copyBuffer(const BufferCopy &copy)
{
    const VkBufferCopy region{ copy.srcOffset, copy.dstOffset, copy.byteSize };
    vkCmdCopyBuffer(commandBuffer, buffer(copy.src), buffer(copy.dst), 1, &region);
}

void VulkanCommandRecorder::copyBufferToTexture(const BufferToTextureCopy &copy)
{
    const std::vector<VkBufferImageCopy> regions = bufferImageCopies(copy.regions);
    vkCmdCopyBufferToImage(commandBuffer, buffer(copy.srcBuffer), image(copy.dstTexture),
                           textureLayoutToVkImageLayout(copy.dstImageLayout), static_cast<uint32_t>(regions.size()),
                           regions.data());
}

void VulkanCommandRecorder::copyTextureToBuffer(const TextureToBufferCopy &copy)
{
    const std::vector<VkBufferImageCopy> regions = bufferImageCopies(copy.regions);
    vkCmdCopyImageToBuffer(commandBuffer, image(copy.srcTexture), textureLayoutToVkImageLayout(copy.srcTextureLayout),
                           buffer(copy.dstBuffer), static_cast<uint32_t>(regions.size()), regions.data());
}

void VulkanCommandRecorder::copyTextureToTexture(const TextureToTextureCopy &copy)
{
    const std::vector<VkImageCopy> regions = imageCopies(copy.regions);
    vkCmdCopyImage(commandBuffer, image(copy.srcTexture), textureLayoutToVkImageLayout(copy.srcLayout),
                   image(copy.dstTexture), textureLayoutToVkImageLayout(copy.dstLayout),
                   static_cast<uint32_t>(regions.size()), regions.data());
}

void VulkanCommandRecorder::resolveTexture(const TextureResolve &resolve)
{
    std::vector<VkImageResolve> regions;
    for (const TextureCopyRegion &region : resolve.regions)
        regions.push_back({ subresourceLayers(region.srcSubresource), offset(region.srcOffset),
                            subresourceLayers(region.dstSubresource), offset(region.dstOffset),
                            extent(region.extent) });
    vkCmdResolveImage(commandBuffer, image(resolve.srcTexture), textureLayoutToVkImageLayout(resolve.srcLayout),
                      image(resolve.dstTexture), textureLayoutToVkImageLayout(resolve.dstLayout),
                      static_cast<uint32_t>(regions.size()), regions.data());
}

void VulkanCommandRecorder::updateBuffer(const BufferUpdate &update)
{
    vkCmdUpdateBuffer(commandBuffer, buffer(update.dstBuffer), update.dstOffset, update.byteSize, update.data);
}

void VulkanCommandRecorder::executeSecondaryCommandBuffer(const Handle<CommandBuffer_t> &secondary)
{
    const VulkanCommandBuffer *record = vulkanResourceManager->getCommandBuffer(secondary);
    if (!record)
        return;
    vkCmdExecuteCommands(commandBuffer, 1, &record->commandBuffer);
}

// ---- Barriers -------------------------------------------------------------------------------------------------

namespace {

VkAccessFlags narrowAccess(VkAccessFlags2 mask)
{
    return accessFlagsToVkAccessFlagBits(AccessFlags::fromInt(mask));
}

VkPipelineStageFlags narrowStages(VkPipelineStageFlags2 mask)
{
    return pipelineStageFlagsToVkPipelineStageFlagBits(PipelineStageFlags::fromInt(mask));
}

// The same dependency as one legacy vkCmdPipelineBarrier: the stages of all its barriers together, and every
// access mask and stage set narrowed to the 32 bits legacy barriers have.
void recordLegacyBarrier(VkCommandBuffer commandBuffer, const VkDependencyInfo &dependency)
{
    VkPipelineStageFlags2 srcStages = 0;
    VkPipelineStageFlags2 dstStages = 0;
    auto addStages = [&](const auto &barrier) {
        srcStages |= barrier.srcStageMask;
        dstStages |= barrier.dstStageMask;
    };
    std::vector<VkMemoryBarrier> memory;
    for (const VkMemoryBarrier2 &barrier : std::span(dependency.pMemoryBarriers, dependency.memoryBarrierCount)) {
        addStages(barrier);
        memory.push_back({ VK_STRUCTURE_TYPE_MEMORY_BARRIER, nullptr, narrowAccess(barrier.srcAccessMask),
                           narrowAccess(barrier.dstAccessMask) });
    }
    std::vector<VkBufferMemoryBarrier> buffers;
    for (const VkBufferMemoryBarrier2 &barrier :
         std::span(dependency.pBufferMemoryBarriers, dependency.bufferMemoryBarrierCount)) {
        addStages(barrier);
        buffers.push_back({ VK_STRUCTURE_TYPE_BUFFER_MEMORY_BARRIER, nullptr, narrowAccess(barrier.srcAccessMask),
                            narrowAccess(barrier.dstAccessMask), barrier.srcQueueFamilyIndex,
                            barrier.dstQueueFamilyIndex, barrier.buffer, barrier.offset, barrier.size });
    }
    std::vector<VkImageMemoryBarrier> images;
    for (const VkImageMemoryBarrier2 &barrier :
         std::span(dependency.pImageMemoryBarriers, dependency.imageMemoryBarrierCount)) {
        addStages(barrier);
        images.push_back({ VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER, nullptr, narrowAccess(barrier.srcAccessMask),
                           narrowAccess(barrier.dstAccessMask), barrier.oldLayout, barrier.newLayout,
                           barrier.srcQueueFamilyIndex, barrier.dstQueueFamilyIndex, barrier.image,
                           barrier.subresourceRange });
    }
    vkCmdPipelineBarrier(commandBuffer, narrowStages(srcStages), narrowStages(dstStages), dependency.dependencyFlags,
                         static_cast<uint32_t>(memory.size()), memory.data(), static_cast<uint32_t>(buffers.size()),
                         buffers.data(), static_cast<uint32_t>(images.size()), images.data());
}

// The stages, accesses and queue families of a buffer or image barrier.
template<typename Barrier, typename Options>
Barrier resourceBarrier(VkStructureType type, const Options &options)
{
    Barrier barrier{ type };
    barrier.srcStageMask = options.srcStages.toInt();
    barrier.srcAccessMask = options.srcMask.toInt();
    barrier.dstStageMask = options.dstStages.toInt();
    barrier.dstAccessMask = options.dstMask.toInt();
    barrier.srcQueueFamilyIndex = options.srcQueueTypeIndex;
    barrier.dstQueueFamilyIndex = options.dstQueueTypeIndex;
    return barrier;
}

} // namespace

void VulkanCommandRecorder::pipelineBarrier(const VkDependencyInfo &dependency)
{
    const VulkanDevice *vulkanDevice = device();
    if (vulkanDevice && vulkanDevice->vkCmdPipelineBarrier2KHR)
        vulkanDevice->vkCmdPipelineBarrier2KHR(commandBuffer, &dependency);
    else
        recordLegacyBarrier(commandBuffer, dependency);
}

void VulkanCommandRecorder::memoryBarrier(const MemoryBarrierOptions &options)
{
    std::vector<VkMemoryBarrier2> barriers;
    for (const MemoryBarrier &entry : options.memoryBarriers) {
        VkMemoryBarrier2 barrier{ VK_STRUCTURE_TYPE_MEMORY_BARRIER_2 };
        barrier.srcStageMask = options.srcStages.toInt();
        barrier.srcAccessMask = entry.srcMask.toInt();
        barrier.dstStageMask = options.dstStages.toInt();
        barrier.dstAccessMask = entry.dstMask.toInt();
        barriers.push_back(barrier);
    }
    // Without entries the barrier still orders the stages: one barrier without accesses carries them.
    if (barriers.empty())
        barriers.push_back({ VK_STRUCTURE_TYPE_MEMORY_BARRIER_2, nullptr, options.srcStages.toInt(), 0,
                             options.dstStages.toInt(), 0 });
    VkDependencyInfo dependency{ VK_STRUCTURE_TYPE_DEPENDENCY_INFO };
    dependency.memoryBarrierCount = static_cast<uint32_t>(barriers.size());
    dependency.pMemoryBarriers = barriers.data();
    pipelineBarrier(dependency);
}

void VulkanCommandRecorder::bufferMemoryBarrier(const BufferMemoryBarrierOptions &options)
{
    auto barrier = resourceBarrier<VkBufferMemoryBarrier2>(VK_STRUCTURE_TYPE_BUFFER_MEMORY_BARRIER_2, options);
    barrier.buffer = buffer(options.buffer);
    barrier.offset = options.offset;
    barrier.size = options.size;
    VkDependencyInfo dependency{ VK_STRUCTURE_TYPE_DEPENDENCY_INFO };
    dependency.bufferMemoryBarrierCount = 1;
    dependency.pBufferMemoryBarriers = &barrier;
    pipelineBarrier(dependency);
}

void VulkanCommandRecorder::textureMemoryBarrier(const TextureMemoryBarrierOptions &options)
{
    auto barrier = resourceBarrier<VkImageMemoryBarrier2>(VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER_2, options);
    barrier.oldLayout = textureLayoutToVkImageLayout(options.oldLayout);
    barrier.newLayout = textureLayoutToVkImageLayout(options.newLayout);
    barrier.image = image(options.texture);
    barrier.subresourceRange = subresourceRange(options.range);
    VkDependencyInfo dependency{ VK_STRUCTURE_TYPE_DEPENDENCY_INFO };
    dependency.imageMemoryBarrierCount = 1;
    dependency.pImageMemoryBarriers = &barrier;
    pipelineBarrier(dependency);
}

} // namespace TbGpu
