// Command recorders, command buffers, pass recorders and the render pass and framebuffer caches of the Vulkan
// resource manager.
#include "vulkan/vulkan_resource_manager.h"

#include "vulkan/vulkan_enums.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>
#include <cstring>

namespace TbGpu {

// ---- Command buffers and recorders ----------------------------------------------------------------------------

Handle<CommandBuffer_t> VulkanResourceManager::createCommandBuffer(const Handle<Device_t> &deviceHandle,
                                                                   const QueueDescription &queue,
                                                                   CommandBufferLevel level)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device || queue.queueTypeIndex >= device->commandPools.size()) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    const VkCommandPool commandPool = device->commandPools[queue.queueTypeIndex];
    VkCommandBufferAllocateInfo allocateInfo{ VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO };
    allocateInfo.commandPool = commandPool;
    allocateInfo.level = static_cast<VkCommandBufferLevel>(level);
    allocateInfo.commandBufferCount = 1;
    VkCommandBuffer buffer = VK_NULL_HANDLE;
    const VkResult result = vkAllocateCommandBuffers(device->device, &allocateInfo, &buffer);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating allocating command buffers: {}", static_cast<int>(result));
        return {};
    }
    return pool<CommandBuffer_t>().insert(
            VulkanCommandBuffer(buffer, commandPool, static_cast<VkCommandBufferLevel>(level), this, deviceHandle));
}

void VulkanResourceManager::deleteCommandBuffer(const Handle<CommandBuffer_t> &handle)
{
    VulkanCommandBuffer *buffer = pool<CommandBuffer_t>().get(handle);
    if (!buffer)
        return;
    if (VulkanDevice *device = m_devices.get(buffer->deviceHandle))
        vkFreeCommandBuffers(device->device, buffer->commandPool, 1, &buffer->commandBuffer);
    pool<CommandBuffer_t>().remove(handle);
}

Handle<CommandRecorder_t> VulkanResourceManager::createCommandRecorder(const Handle<Device_t> &deviceHandle,
                                                                       const CommandRecorderOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    QueueDescription description;
    if (options.queue.isValid()) {
        const auto found = std::find_if(device->queueDescriptions.begin(), device->queueDescriptions.end(),
                                        [&](const QueueDescription &queue) { return queue.queue == options.queue; });
        if (found == device->queueDescriptions.end()) {
            TBGPU_LOG_ERROR("Cannot find requested queue for device");
            return {};
        }
        description = *found;
    } else {
        if (device->queueDescriptions.empty()) {
            TBGPU_LOG_ERROR("No more queue descriptors available for device");
            return {};
        }
        description = device->queueDescriptions.front();
    }

    if (description.queueTypeIndex >= device->commandPools.size())
        device->commandPools.resize(description.queueTypeIndex + 1, VK_NULL_HANDLE);
    VkCommandPool &familyPool = device->commandPools[description.queueTypeIndex];
    if (familyPool == VK_NULL_HANDLE) {
        VkCommandPoolCreateInfo createInfo{ VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO };
        createInfo.flags = 0;
        createInfo.queueFamilyIndex = description.queueTypeIndex;
        const VkResult result = vkCreateCommandPool(device->device, &createInfo, nullptr, &familyPool);
        if (result != VK_SUCCESS) {
            TBGPU_LOG_ERROR("Error when creating command pool for queue family {}: {}", description.queueTypeIndex,
                            static_cast<int>(result));
            familyPool = VK_NULL_HANDLE;
            return {};
        }
    }
    const VkCommandPool commandPool = familyPool;

    const Handle<CommandBuffer_t> bufferHandle = createCommandBuffer(deviceHandle, description, options.level);
    const VulkanCommandBuffer *buffer = pool<CommandBuffer_t>().get(bufferHandle);
    if (!buffer)
        return {};
    return pool<CommandRecorder_t>().insert(
            VulkanCommandRecorder(commandPool, buffer->commandBuffer, bufferHandle, this, deviceHandle));
}

void VulkanResourceManager::deleteCommandRecorder(const Handle<CommandRecorder_t> &handle)
{
    VulkanCommandRecorder *recorder = pool<CommandRecorder_t>().get(handle);
    if (!recorder)
        return;
    // A finished recorder handed its command buffer to a CommandBuffer; an unfinished one still owns it.
    if (!recorder->finished)
        deleteCommandBuffer(recorder->commandBufferHandle);
    pool<CommandRecorder_t>().remove(handle);
}

// ---- Render pass recorders ------------------------------------------------------------------------------------

bool VulkanResourceManager::attachmentsAreLive(const RenderPassCommandRecorderOptions &options) const
{
    const bool multisampled = options.samples != SampleCountFlagBits::Samples1Bit;
    auto live = [this](const Handle<TextureView_t> &view) { return pool<TextureView_t>().get(view) != nullptr; };
    if (options.colorAttachments.empty())
        return false;
    for (const ColorAttachment &color : options.colorAttachments) {
        if (!live(color.view) || (multisampled && !live(color.resolveView)))
            return false;
    }
    const DepthStencilAttachment &depth = options.depthStencilAttachment;
    if (depth.view.isValid() && !live(depth.view))
        return false;
    return !(multisampled && depth.view.isValid() && depth.resolveView.isValid() && !live(depth.resolveView));
}

Handle<RenderPass_t> VulkanResourceManager::findOrCreateRenderPass(const Handle<Device_t> &deviceHandle,
                                                                   const RenderPassCommandRecorderOptions &options)
{
    RenderPassCache &cache = m_devices.get(deviceHandle)->renderPasses;
    RenderPassKey key = recordingRenderPassKey(
            options, [this](const Handle<TextureView_t> &view) { return pool<TextureView_t>().get(view)->format; });
    Handle<RenderPass_t> renderPass = cache.find(key);
    if (!renderPass.isValid()) {
        renderPass = createRenderPass(deviceHandle, key);
        if (renderPass.isValid())
            cache.insert(std::move(key), renderPass);
    }
    return renderPass;
}

std::optional<FramebufferKey>
VulkanResourceManager::framebufferKeyFor(const Handle<RenderPass_t> &renderPass,
                                         const RenderPassCommandRecorderOptions &options) const
{
    const bool multisampled = options.samples != SampleCountFlagBits::Samples1Bit;
    FramebufferKey key;
    key.renderPass = renderPass;
    for (const ColorAttachment &color : options.colorAttachments) {
        key.views.push_back(color.view);
        if (multisampled)
            key.views.push_back(color.resolveView);
    }
    const DepthStencilAttachment &depth = options.depthStencilAttachment;
    if (depth.view.isValid()) {
        key.views.push_back(depth.view);
        if (multisampled && depth.resolveView.isValid())
            key.views.push_back(depth.resolveView);
    }

    // The size comes from the first colour view: its texture's extent at the view's mip level, and the view's
    // layers (one for multiview, where the views spread over the layers).
    const VulkanTextureView *firstView = pool<TextureView_t>().get(options.colorAttachments.front().view);
    const VulkanTexture *texture = pool<Texture_t>().get(firstView->textureHandle);
    if (!texture)
        return std::nullopt;
    const uint32_t mip = firstView->range.baseMipLevel;
    const uint32_t viewLayers = firstView->range.layerCount == VK_REMAINING_ARRAY_LAYERS
            ? texture->arrayLayers - firstView->range.baseArrayLayer
            : firstView->range.layerCount;
    key.width = std::max(texture->extent.width >> mip, 1u);
    key.height = std::max(texture->extent.height >> mip, 1u);
    key.layers = options.viewCount < 2 ? viewLayers : 1u;
    return key;
}

Handle<Framebuffer_t> VulkanResourceManager::createFramebuffer(VkDevice device, const FramebufferKey &key)
{
    std::vector<VkImageView> views;
    for (const Handle<TextureView_t> &view : key.views)
        views.push_back(pool<TextureView_t>().get(view)->imageView);
    VkFramebufferCreateInfo createInfo{ VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO };
    createInfo.renderPass = m_renderPasses.get(key.renderPass)->renderPass;
    createInfo.attachmentCount = static_cast<uint32_t>(views.size());
    createInfo.pAttachments = views.data();
    createInfo.width = key.width;
    createInfo.height = key.height;
    createInfo.layers = key.layers;
    VkFramebuffer framebuffer = VK_NULL_HANDLE;
    const VkResult result = vkCreateFramebuffer(device, &createInfo, nullptr, &framebuffer);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating framebuffer: {}", static_cast<int>(result));
        return {};
    }
    return m_framebuffers.insert(VulkanFramebuffer{ framebuffer });
}

Handle<Framebuffer_t> VulkanResourceManager::findOrCreateFramebuffer(VulkanDevice &device, const FramebufferKey &key)
{
    Handle<Framebuffer_t> framebuffer = device.framebuffers.find(key);
    if (!framebuffer.isValid()) {
        framebuffer = createFramebuffer(device.device, key);
        if (framebuffer.isValid())
            device.framebuffers.insert(key, framebuffer);
    }
    return framebuffer;
}

namespace {

// In attachment order, as the framebuffer's views come: a resolve attachment repeats its attachment's value.
std::vector<VkClearValue> clearValues(const RenderPassCommandRecorderOptions &options)
{
    const bool multisampled = options.samples != SampleCountFlagBits::Samples1Bit;
    std::vector<VkClearValue> values;
    for (const ColorAttachment &color : options.colorAttachments) {
        VkClearValue value;
        std::memcpy(&value.color, &color.clearValue, sizeof(value.color));
        values.insert(values.end(), multisampled ? 2 : 1, value);
    }
    const DepthStencilAttachment &depth = options.depthStencilAttachment;
    if (depth.view.isValid()) {
        VkClearValue value;
        value.depthStencil = { depth.depthClearValue, depth.stencilClearValue };
        values.insert(values.end(), multisampled && depth.resolveView.isValid() ? 2 : 1, value);
    }
    return values;
}

} // namespace

// Begins a pass on the render pass and framebuffer the device's caches hold for these attachments.
Handle<RenderPassCommandRecorder_t>
VulkanResourceManager::createRenderPassCommandRecorder(const Handle<Device_t> &deviceHandle,
                                                       const Handle<CommandRecorder_t> &recorderHandle,
                                                       const RenderPassCommandRecorderOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    // The render pass takes its formats from the views and the framebuffer its image views: a missing one would
    // leave the two disagreeing.
    if (!attachmentsAreLive(options)) {
        TBGPU_LOG_ERROR("Invalid texture view when creating render pass");
        return {};
    }
    const Handle<RenderPass_t> renderPassHandle = findOrCreateRenderPass(deviceHandle, options);
    const VulkanRenderPass *renderPass = m_renderPasses.get(renderPassHandle);
    if (!renderPass) {
        TBGPU_LOG_ERROR("Unable to find or create a render pass");
        return {};
    }
    const std::optional<FramebufferKey> framebufferKey = framebufferKeyFor(renderPassHandle, options);
    if (!framebufferKey) {
        TBGPU_LOG_ERROR("Invalid texture when creating render pass");
        return {};
    }
    const VulkanFramebuffer *framebuffer = m_framebuffers.get(findOrCreateFramebuffer(*device, *framebufferKey));
    if (!framebuffer) {
        TBGPU_LOG_ERROR("Could not create or find a framebuffer");
        return {};
    }
    VulkanCommandRecorder *recorder = pool<CommandRecorder_t>().get(recorderHandle);
    if (!recorder) {
        TBGPU_LOG_ERROR("Could not find a valid command recorder");
        return {};
    }

    const std::vector<VkClearValue> clears = clearValues(options);
    const VkRect2D renderArea{ { 0, 0 }, { framebufferKey->width, framebufferKey->height } };
    VkRenderPassBeginInfo beginInfo{ VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO };
    beginInfo.renderPass = renderPass->renderPass;
    beginInfo.framebuffer = framebuffer->framebuffer;
    beginInfo.renderArea = renderArea;
    beginInfo.clearValueCount = static_cast<uint32_t>(clears.size());
    beginInfo.pClearValues = clears.data();
    vkCmdBeginRenderPass(recorder->commandBuffer, &beginInfo, VK_SUBPASS_CONTENTS_INLINE);
    recorder->passViewCount = std::max(options.viewCount, 1u);
    return pool<RenderPassCommandRecorder_t>().insert(
            VulkanRenderPassCommandRecorder(recorder->commandBuffer, renderArea, this, deviceHandle, recorderHandle));
}

void VulkanResourceManager::deleteRenderPassCommandRecorder(const Handle<RenderPassCommandRecorder_t> &handle)
{
    pool<RenderPassCommandRecorder_t>().remove(handle);
}

// ---- Compute pass recorders -----------------------------------------------------------------------------------

Handle<ComputePassCommandRecorder_t>
VulkanResourceManager::createComputePassCommandRecorder(const Handle<Device_t> &deviceHandle,
                                                        const Handle<CommandRecorder_t> &recorderHandle)
{
    const VulkanCommandRecorder *recorder = pool<CommandRecorder_t>().get(recorderHandle);
    if (!recorder) {
        TBGPU_LOG_ERROR("Could not find a valid command recorder");
        return {};
    }
    return pool<ComputePassCommandRecorder_t>().insert(
            VulkanComputePassCommandRecorder(recorder->commandBuffer, this, deviceHandle));
}

void VulkanResourceManager::deleteComputePassCommandRecorder(const Handle<ComputePassCommandRecorder_t> &handle)
{
    pool<ComputePassCommandRecorder_t>().remove(handle);
}

} // namespace TbGpu
