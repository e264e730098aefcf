// Command recorders, command buffers, pass recorders and the render pass and framebuffer caches of the Vulkan
// resource manager.
#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>
#include <cstring>

namespace TbGpu {

namespace {

// The 64-bit FNV-1a hash of a value's bytes; the cache keys combine these.
template<typename T>
uint64_t fnv1a(const T &value)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(&value);
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < sizeof(T); ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

template<typename... T>
uint64_t combined(const T &...values)
{
    size_t seed = 0;
    (hashCombine(seed, fnv1a(values)), ...);
    return seed;
}

} // namespace

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
    const VkCommandPool pool = device->commandPools[queue.queueTypeIndex];
    VkCommandBufferAllocateInfo allocateInfo{ VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO };
    allocateInfo.commandPool = pool;
    allocateInfo.level = static_cast<VkCommandBufferLevel>(level);
    allocateInfo.commandBufferCount = 1;
    VkCommandBuffer buffer = VK_NULL_HANDLE;
    const VkResult result = vkAllocateCommandBuffers(device->device, &allocateInfo, &buffer);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating allocating command buffers: {}", static_cast<int>(result));
        return {};
    }
    return m_commandBuffers.insert(
            VulkanCommandBuffer(buffer, pool, static_cast<VkCommandBufferLevel>(level), this, deviceHandle));
}

void VulkanResourceManager::deleteCommandBuffer(const Handle<CommandBuffer_t> &handle)
{
    VulkanCommandBuffer *buffer = m_commandBuffers.get(handle);
    if (!buffer)
        return;
    if (VulkanDevice *device = m_devices.get(buffer->deviceHandle))
        vkFreeCommandBuffers(device->device, buffer->commandPool, 1, &buffer->commandBuffer);
    m_commandBuffers.remove(handle);
}

Handle<CommandRecorder_t> VulkanResourceManager::createCommandRecorder(const Handle<Device_t> &deviceHandle,
                                                                       const CommandRecorderOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
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
    VkCommandPool &pool = device->commandPools[description.queueTypeIndex];
    if (pool == VK_NULL_HANDLE) {
        VkCommandPoolCreateInfo createInfo{ VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO };
        createInfo.flags = 0;
        createInfo.queueFamilyIndex = description.queueTypeIndex;
        const VkResult result = vkCreateCommandPool(device->device, &createInfo, nullptr, &pool);
        if (result != VK_SUCCESS) {
            TBGPU_LOG_ERROR("Error when creating command pool for queue family {}: {}", description.queueTypeIndex,
                            static_cast<int>(result));
            pool = VK_NULL_HANDLE;
            return {};
        }
    }
    const VkCommandPool commandPool = pool;

    const Handle<CommandBuffer_t> bufferHandle = createCommandBuffer(deviceHandle, description, options.level);
    const VulkanCommandBuffer *buffer = m_commandBuffers.get(bufferHandle);
    if (!buffer)
        return {};
    return m_commandRecorders.insert(
            VulkanCommandRecorder(commandPool, buffer->commandBuffer, bufferHandle, this, deviceHandle));
}

void VulkanResourceManager::deleteCommandRecorder(const Handle<CommandRecorder_t> &handle)
{
    VulkanCommandRecorder *recorder = m_commandRecorders.get(handle);
    if (!recorder)
        return;
    // A finished recorder handed its command buffer to a CommandBuffer; an unfinished one still owns it.
    if (!recorder->finished)
        deleteCommandBuffer(recorder->commandBufferHandle);
    m_commandRecorders.remove(handle);
}

// ---- Render pass recorders ------------------------------------------------------------------------------------

Handle<RenderPass_t> VulkanResourceManager::createRecordingRenderPass(const Handle<Device_t> &deviceHandle,
                                                                      const RenderPassCommandRecorderOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device)
        return {};
    const bool multisampled = options.samples != SampleCountFlagBits::Samples1Bit;
    auto describe = [&](Format format, SampleCountFlagBits samples, AttachmentLoadOperation load,
                        AttachmentStoreOperation store, AttachmentLoadOperation stencilLoad,
                        AttachmentStoreOperation stencilStore, TextureLayout initial, TextureLayout final) {
        VkAttachmentDescription2 description{ VK_STRUCTURE_TYPE_ATTACHMENT_DESCRIPTION_2 };
        description.format = formatToVkFormat(format);
        description.samples = sampleCountFlagBitsToVkSampleFlagBits(samples);
        description.loadOp = static_cast<VkAttachmentLoadOp>(load);
        description.storeOp = static_cast<VkAttachmentStoreOp>(store);
        description.stencilLoadOp = static_cast<VkAttachmentLoadOp>(stencilLoad);
        description.stencilStoreOp = static_cast<VkAttachmentStoreOp>(stencilStore);
        description.initialLayout = textureLayoutToVkImageLayout(initial);
        description.finalLayout = textureLayoutToVkImageLayout(final);
        return description;
    };
    auto referTo = [](uint32_t index, TextureLayout layout) {
        VkAttachmentReference2 reference{ VK_STRUCTURE_TYPE_ATTACHMENT_REFERENCE_2 };
        reference.attachment = index;
        reference.layout = textureLayoutToVkImageLayout(layout);
        return reference;
    };

    std::vector<VkAttachmentDescription2> attachments;
    std::vector<VkAttachmentReference2> colorReferences;
    std::vector<VkAttachmentReference2> resolveReferences;
    for (const ColorAttachment &color : options.colorAttachments) {
        const VulkanTextureView *view = m_textureViews.get(color.view);
        attachments.push_back(describe(view->format, options.samples, color.loadOperation, color.storeOperation,
                                       AttachmentLoadOperation::DontCare, AttachmentStoreOperation::DontCare,
                                       color.initialLayout, color.finalLayout));
        colorReferences.push_back(referTo(uint32_t(attachments.size() - 1), color.layout));
        if (multisampled) {
            const VulkanTextureView *resolveView = m_textureViews.get(color.resolveView);
            attachments.push_back(describe(resolveView->format, SampleCountFlagBits::Samples1Bit, color.loadOperation,
                                           color.storeOperation, AttachmentLoadOperation::DontCare,
                                           AttachmentStoreOperation::DontCare, color.initialLayout,
                                           color.finalLayout));
            resolveReferences.push_back(referTo(uint32_t(attachments.size() - 1), color.layout));
        }
    }

    VkSubpassDescription2 subpass{ VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_2 };
    subpass.pipelineBindPoint = VK_PIPELINE_BIND_POINT_GRAPHICS;
    subpass.colorAttachmentCount = static_cast<uint32_t>(colorReferences.size());
    subpass.pColorAttachments = colorReferences.data();
    subpass.pResolveAttachments = resolveReferences.empty() ? nullptr : resolveReferences.data();

    const DepthStencilAttachment &depth = options.depthStencilAttachment;
    VkAttachmentReference2 depthReference{};
    VkAttachmentReference2 depthResolveReference{};
    VkSubpassDescriptionDepthStencilResolve depthResolve{ VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_DEPTH_STENCIL_RESOLVE };
    if (const VulkanTextureView *view = m_textureViews.get(depth.view)) {
        attachments.push_back(describe(view->format, options.samples, depth.depthLoadOperation,
                                       depth.depthStoreOperation, depth.stencilLoadOperation,
                                       depth.stencilStoreOperation, depth.initialLayout, depth.finalLayout));
        depthReference = referTo(uint32_t(attachments.size() - 1), depth.layout);
        subpass.pDepthStencilAttachment = &depthReference;
        const VulkanTextureView *resolveView = m_textureViews.get(depth.resolveView);
        if (multisampled && resolveView) {
            attachments.push_back(describe(resolveView->format, SampleCountFlagBits::Samples1Bit,
                                           depth.depthLoadOperation, depth.depthStoreOperation,
                                           depth.stencilLoadOperation, depth.stencilStoreOperation,
                                           depth.initialLayout, depth.finalLayout));
            depthResolveReference = referTo(uint32_t(attachments.size() - 1), depth.layout);
            depthResolve.depthResolveMode = static_cast<VkResolveModeFlagBits>(depth.depthResolveMode);
            depthResolve.stencilResolveMode = static_cast<VkResolveModeFlagBits>(depth.stencilResolveMode);
            depthResolve.pDepthStencilResolveAttachment = &depthResolveReference;
            subpass.pNext = &depthResolve;
        }
    }

    return insertRenderPass(deviceHandle, device->device, attachments, subpass, options.viewCount);
}

Handle<Framebuffer_t> VulkanResourceManager::createFramebuffer(VkDevice device, const FramebufferKey &key)
{
    std::vector<VkImageView> views;
    for (const Handle<TextureView_t> &view : key.views)
        views.push_back(m_textureViews.get(view)->imageView);
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

Handle<RenderPassCommandRecorder_t>
VulkanResourceManager::createRenderPassCommandRecorder(const Handle<Device_t> &deviceHandle,
                                                       const Handle<CommandRecorder_t> &recorderHandle,
                                                       const RenderPassCommandRecorderOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    const bool multisampled = options.samples != SampleCountFlagBits::Samples1Bit;

    // Every attachment must name a live view: the render pass takes its formats from them and the framebuffer
    // its image views, and a missing one would leave the two disagreeing.
    if (options.colorAttachments.empty()) {
        TBGPU_LOG_ERROR("Invalid texture view when creating render pass");
        return {};
    }
    for (const ColorAttachment &color : options.colorAttachments) {
        if (!m_textureViews.get(color.view) || (multisampled && !m_textureViews.get(color.resolveView))) {
            TBGPU_LOG_ERROR("Invalid texture view when creating render pass");
            return {};
        }
    }
    const DepthStencilAttachment &depth = options.depthStencilAttachment;
    if (depth.view.isValid() && !m_textureViews.get(depth.view)) {
        TBGPU_LOG_ERROR("Invalid texture view when creating render pass");
        return {};
    }
    const bool hasDepth = depth.view.isValid();
    const bool hasDepthResolve = hasDepth && multisampled && m_textureViews.get(depth.resolveView) != nullptr;

    auto formatOf = [this](const Handle<TextureView_t> &view) {
        const VulkanTextureView *record = m_textureViews.get(view);
        return record ? record->format : Format::UNDEFINED;
    };

    // 1. The render pass key: operations and layouts of each attachment, and (so that one key never names two
    // incompatible passes) their formats, resolve targets and resolve modes; then samples and views.
    size_t renderPassKey = 0;
    for (const ColorAttachment &color : options.colorAttachments)
        hashCombine(renderPassKey, combined(color.loadOperation, color.storeOperation, color.initialLayout,
                                            color.finalLayout, color.layout, formatOf(color.view),
                                            multisampled ? formatOf(color.resolveView) : Format::UNDEFINED));
    if (hasDepth)
        hashCombine(renderPassKey,
                    combined(depth.depthLoadOperation, depth.depthStoreOperation, depth.stencilLoadOperation,
                             depth.stencilStoreOperation, depth.initialLayout, depth.finalLayout, depth.layout,
                             formatOf(depth.view), hasDepthResolve ? formatOf(depth.resolveView) : Format::UNDEFINED,
                             hasDepthResolve ? depth.depthResolveMode : ResolveModeFlagBits::None,
                             hasDepthResolve ? depth.stencilResolveMode : ResolveModeFlagBits::None));
    hashCombine(renderPassKey, fnv1a(options.samples));
    hashCombine(renderPassKey, fnv1a(options.viewCount));

    // 2.-3. Find or build the render pass.
    auto cachedPass = device->renderPasses.find(renderPassKey);
    if (cachedPass == device->renderPasses.end())
        cachedPass = device->renderPasses.emplace(renderPassKey, createRecordingRenderPass(deviceHandle, options))
                             .first;
    const Handle<RenderPass_t> renderPassHandle = cachedPass->second;
    if (!m_renderPasses.get(renderPassHandle)) {
        TBGPU_LOG_ERROR("Unable to find or create a render pass");
        return {};
    }

    // 4. The framebuffer's views in attachment order.
    std::vector<Handle<TextureView_t>> views;
    for (const ColorAttachment &color : options.colorAttachments) {
        views.push_back(color.view);
        if (multisampled)
            views.push_back(color.resolveView);
    }
    if (hasDepth) {
        views.push_back(depth.view);
        if (hasDepthResolve)
            views.push_back(depth.resolveView);
    }

    // 5.-6. The framebuffer's size comes from the first colour view: its texture's extent at the view's mip
    // level, and the view's layers (one for multiview, where the views spread over the layers).
    const VulkanTextureView *firstView = m_textureViews.get(options.colorAttachments.front().view);
    const VulkanTexture *texture = m_textures.get(firstView->textureHandle);
    if (!texture) {
        TBGPU_LOG_ERROR("Invalid texture when creating render pass");
        return {};
    }
    const uint32_t mip = firstView->range.baseMipLevel;
    const uint32_t viewLayers = firstView->range.layerCount == VK_REMAINING_ARRAY_LAYERS
            ? texture->arrayLayers - firstView->range.baseArrayLayer
            : firstView->range.layerCount;
    FramebufferKey framebufferKey{ renderPassHandle, std::move(views), std::max(texture->extent.width >> mip, 1u),
                                   std::max(texture->extent.height >> mip, 1u), options.viewCount < 2 ? viewLayers : 1u };
    Handle<Framebuffer_t> framebufferHandle = device->framebuffers.find(framebufferKey);
    if (!framebufferHandle.isValid()) {
        framebufferHandle = createFramebuffer(device->device, framebufferKey);
        if (!framebufferHandle.isValid()) {
            TBGPU_LOG_ERROR("Could not create or find a framebuffer");
            return {};
        }
        device->framebuffers.insert(framebufferKey, framebufferHandle);
    }
    const VulkanFramebuffer *framebuffer = m_framebuffers.get(framebufferHandle);
    if (!framebuffer) {
        TBGPU_LOG_ERROR("Could not create or find a framebuffer");
        return {};
    }

    // 8. Clear values in attachment order.
    std::vector<VkClearValue> clearValues;
    for (const ColorAttachment &color : options.colorAttachments) {
        VkClearValue value;
        std::memcpy(&value.color, &color.clearValue, sizeof(value.color));
        clearValues.push_back(value);
        if (multisampled)
            clearValues.push_back(value);
    }
    if (hasDepth) {
        VkClearValue value;
        value.depthStencil = { depth.depthClearValue, depth.stencilClearValue };
        clearValues.push_back(value);
        if (hasDepthResolve)
            clearValues.push_back(value);
    }

    // 9.-10. Begin the pass and hand out its recorder.
    VulkanCommandRecorder *recorder = m_commandRecorders.get(recorderHandle);
    if (!recorder) {
        TBGPU_LOG_ERROR("Could not find a valid command recorder");
        return {};
    }
    const VkRect2D renderArea{ { 0, 0 }, { framebufferKey.width, framebufferKey.height } };
    VkRenderPassBeginInfo beginInfo{ VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO };
    beginInfo.renderPass = m_renderPasses.get(renderPassHandle)->renderPass;
    beginInfo.framebuffer = framebuffer->framebuffer;
    beginInfo.renderArea = renderArea;
    beginInfo.clearValueCount = static_cast<uint32_t>(clearValues.size());
    beginInfo.pClearValues = clearValues.data();
    vkCmdBeginRenderPass(recorder->commandBuffer, &beginInfo, VK_SUBPASS_CONTENTS_INLINE);
    recorder->passViewCount = std::max(options.viewCount, 1u);
    return m_renderPassCommandRecorders.insert(
            VulkanRenderPassCommandRecorder(recorder->commandBuffer, renderArea, this, deviceHandle, recorderHandle));
}

void VulkanResourceManager::deleteRenderPassCommandRecorder(const Handle<RenderPassCommandRecorder_t> &handle)
{
    m_renderPassCommandRecorders.remove(handle);
}

// ---- Compute pass recorders -----------------------------------------------------------------------------------

Handle<ComputePassCommandRecorder_t>
VulkanResourceManager::createComputePassCommandRecorder(const Handle<Device_t> &deviceHandle,
                                                        const Handle<CommandRecorder_t> &recorderHandle)
{
    const VulkanCommandRecorder *recorder = m_commandRecorders.get(recorderHandle);
    if (!recorder) {
        TBGPU_LOG_ERROR("Could not find a valid command recorder");
        return {};
    }
    return m_computePassCommandRecorders.insert(
            VulkanComputePassCommandRecorder(recorder->commandBuffer, this, deviceHandle));
}

void VulkanResourceManager::deleteComputePassCommandRecorder(const Handle<ComputePassCommandRecorder_t> &handle)
{
    m_computePassCommandRecorders.remove(handle);
}

} // namespace TbGpu
