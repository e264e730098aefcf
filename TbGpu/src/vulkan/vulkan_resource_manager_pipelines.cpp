// Shader modules, bind group layouts, pipeline layouts, bind groups and pipelines of the Vulkan resource manager.
#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/utils/logging.h>

#include <array>

namespace TbGpu {

namespace {

// Every descriptor pool of a device has this shape; sets are freed one by one, so pools serve many frames.
constexpr uint32_t descriptorPoolMaxSets = 1024;
constexpr VkDescriptorPoolSize descriptorPoolSizes[] = {
    { VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER, 512 },          { VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER_DYNAMIC, 16 },
    { VK_DESCRIPTOR_TYPE_STORAGE_BUFFER, 512 },          { VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER, 128 },
    { VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, 128 },           { VK_DESCRIPTOR_TYPE_SAMPLER, 8 },
    { VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, 8 },
};

VkAttachmentDescription2 attachment(Format format, SampleCountFlagBits samples, VkImageLayout finalLayout)
{
    VkAttachmentDescription2 description{ VK_STRUCTURE_TYPE_ATTACHMENT_DESCRIPTION_2 };
    description.format = formatToVkFormat(format);
    description.samples = sampleCountFlagBitsToVkSampleFlagBits(samples);
    description.loadOp = VK_ATTACHMENT_LOAD_OP_CLEAR;
    description.storeOp = VK_ATTACHMENT_STORE_OP_STORE;
    description.stencilLoadOp = VK_ATTACHMENT_LOAD_OP_DONT_CARE;
    description.stencilStoreOp = VK_ATTACHMENT_STORE_OP_DONT_CARE;
    description.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    description.finalLayout = finalLayout;
    return description;
}

VkAttachmentReference2 reference(uint32_t index, VkImageLayout layout, VkImageAspectFlags aspect)
{
    VkAttachmentReference2 reference{ VK_STRUCTURE_TYPE_ATTACHMENT_REFERENCE_2 };
    reference.attachment = index;
    reference.layout = layout;
    reference.aspectMask = aspect;
    return reference;
}

// Every render pass orders itself against the work around it, so neither callers nor the caches' users record
// barriers for what a pass does to its own attachments. Before the pass: earlier attachment writes, transfers into
// the attachments and reads of them (fragment shaders, transfers) finish before its loads and initial layout
// transitions; the colour attachment output stage is also where an acquired swapchain image's semaphore is waited
// for. After the pass: its attachment writes and final layout transitions finish before fragment shaders sample
// the targets and transfers read or overwrite them; presentation waits for the whole submission anyway.
std::array<VkSubpassDependency2, 2> externalDependencies()
{
    constexpr VkPipelineStageFlags attachmentStages = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT |
            VK_PIPELINE_STAGE_EARLY_FRAGMENT_TESTS_BIT | VK_PIPELINE_STAGE_LATE_FRAGMENT_TESTS_BIT;
    constexpr VkAccessFlags attachmentWrites =
            VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT | VK_ACCESS_DEPTH_STENCIL_ATTACHMENT_WRITE_BIT;
    constexpr VkPipelineStageFlags readersAround = VK_PIPELINE_STAGE_FRAGMENT_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT;

    VkSubpassDependency2 incoming{ VK_STRUCTURE_TYPE_SUBPASS_DEPENDENCY_2 };
    incoming.srcSubpass = VK_SUBPASS_EXTERNAL;
    incoming.dstSubpass = 0;
    incoming.srcStageMask = attachmentStages | readersAround;
    incoming.srcAccessMask = attachmentWrites | VK_ACCESS_TRANSFER_WRITE_BIT;
    incoming.dstStageMask = attachmentStages;
    incoming.dstAccessMask = attachmentWrites | VK_ACCESS_COLOR_ATTACHMENT_READ_BIT |
            VK_ACCESS_DEPTH_STENCIL_ATTACHMENT_READ_BIT;

    VkSubpassDependency2 outgoing{ VK_STRUCTURE_TYPE_SUBPASS_DEPENDENCY_2 };
    outgoing.srcSubpass = 0;
    outgoing.dstSubpass = VK_SUBPASS_EXTERNAL;
    outgoing.srcStageMask = attachmentStages;
    outgoing.srcAccessMask = attachmentWrites;
    outgoing.dstStageMask = readersAround;
    outgoing.dstAccessMask =
            VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_TRANSFER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
    return { incoming, outgoing };
}

VkStencilOpState stencilState(const StencilOperationOptions &options)
{
    return { static_cast<VkStencilOp>(options.failOp),      static_cast<VkStencilOp>(options.passOp),
             static_cast<VkStencilOp>(options.depthFailOp), static_cast<VkCompareOp>(options.compareOp),
             options.compareMask,                           options.writeMask,
             options.reference };
}

} // namespace

// ---- Shader modules -------------------------------------------------------------------------------------------

Handle<ShaderModule_t> VulkanResourceManager::createShaderModule(const Handle<Device_t> &deviceHandle,
                                                                 const std::vector<uint32_t> &code)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    VkShaderModuleCreateInfo createInfo{ VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO };
    createInfo.codeSize = code.size() * sizeof(uint32_t);
    createInfo.pCode = code.data();
    VkShaderModule module = VK_NULL_HANDLE;
    // Vulkan forbids empty code; report it as the driver would instead of handing it over.
    const VkResult result = code.empty() ? VK_ERROR_INITIALIZATION_FAILED
                                         : vkCreateShaderModule(device->device, &createInfo, nullptr, &module);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating shader module: {}", static_cast<int>(result));
        return {};
    }
    VulkanShaderModule record;
    record.shaderModule = module;
    record.vulkanResourceManager = this;
    record.deviceHandle = deviceHandle;
    return m_shaderModules.insert(record);
}

void VulkanResourceManager::deleteShaderModule(const Handle<ShaderModule_t> &handle)
{
    VulkanShaderModule *module = m_shaderModules.get(handle);
    if (!module)
        return;
    if (VulkanDevice *device = m_devices.get(module->deviceHandle))
        vkDestroyShaderModule(device->device, module->shaderModule, nullptr);
    m_shaderModules.remove(handle);
}

// ---- Bind group layouts ---------------------------------------------------------------------------------------

Handle<BindGroupLayout_t> VulkanResourceManager::createBindGroupLayout(const Handle<Device_t> &deviceHandle,
                                                                       const BindGroupLayoutOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    std::vector<VkDescriptorSetLayoutBinding> bindings;
    bindings.reserve(options.bindings.size());
    for (const ResourceBindingLayout &binding : options.bindings)
        bindings.push_back({ binding.binding, static_cast<VkDescriptorType>(binding.resourceType), binding.count,
                             binding.shaderStages.toInt(), nullptr });
    VkDescriptorSetLayoutCreateInfo createInfo{ VK_STRUCTURE_TYPE_DESCRIPTOR_SET_LAYOUT_CREATE_INFO };
    createInfo.bindingCount = static_cast<uint32_t>(bindings.size());
    createInfo.pBindings = bindings.data();
    VkDescriptorSetLayout layout = VK_NULL_HANDLE;
    const VkResult result = vkCreateDescriptorSetLayout(device->device, &createInfo, nullptr, &layout);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating bind group layout: {}", static_cast<int>(result));
        return {};
    }
    VulkanBindGroupLayout record;
    record.descriptorSetLayout = layout;
    record.deviceHandle = deviceHandle;
    return m_bindGroupLayouts.insert(record);
}

void VulkanResourceManager::deleteBindGroupLayout(const Handle<BindGroupLayout_t> &handle)
{
    VulkanBindGroupLayout *layout = m_bindGroupLayouts.get(handle);
    if (!layout)
        return;
    if (VulkanDevice *device = m_devices.get(layout->deviceHandle))
        vkDestroyDescriptorSetLayout(device->device, layout->descriptorSetLayout, nullptr);
    m_bindGroupLayouts.remove(handle);
}

// ---- Pipeline layouts -----------------------------------------------------------------------------------------

Handle<PipelineLayout_t> VulkanResourceManager::createPipelineLayout(const Handle<Device_t> &deviceHandle,
                                                                     const PipelineLayoutOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    std::vector<VkDescriptorSetLayout> setLayouts;
    for (const Handle<BindGroupLayout_t> &layoutHandle : options.bindGroupLayouts) {
        VulkanBindGroupLayout *layout = m_bindGroupLayouts.get(layoutHandle);
        if (!layout) {
            // A null set layout is invalid Vulkan usage; a stale handle is the caller's fault, reported here.
            TBGPU_LOG_ERROR("Error when creating pipeline layout: {}",
                            static_cast<int>(VK_ERROR_INITIALIZATION_FAILED));
            return {};
        }
        setLayouts.push_back(layout->descriptorSetLayout);
    }
    std::vector<VkPushConstantRange> ranges;
    for (const PushConstantRange &range : options.pushConstantRanges)
        ranges.push_back({ range.shaderStages.toInt(), range.offset, range.size });

    VkPipelineLayoutCreateInfo createInfo{ VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO };
    createInfo.setLayoutCount = static_cast<uint32_t>(setLayouts.size());
    createInfo.pSetLayouts = setLayouts.data();
    createInfo.pushConstantRangeCount = static_cast<uint32_t>(ranges.size());
    createInfo.pPushConstantRanges = ranges.data();
    VkPipelineLayout layout = VK_NULL_HANDLE;
    const VkResult result = vkCreatePipelineLayout(device->device, &createInfo, nullptr, &layout);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating pipeline layout: {}", static_cast<int>(result));
        return {};
    }
    VulkanPipelineLayout record;
    record.pipelineLayout = layout;
    record.descriptorSetLayouts = std::move(setLayouts);
    record.vulkanResourceManager = this;
    record.deviceHandle = deviceHandle;
    return m_pipelineLayouts.insert(std::move(record));
}

void VulkanResourceManager::deletePipelineLayout(const Handle<PipelineLayout_t> &handle)
{
    VulkanPipelineLayout *layout = m_pipelineLayouts.get(handle);
    if (!layout)
        return;
    if (VulkanDevice *device = m_devices.get(layout->deviceHandle))
        vkDestroyPipelineLayout(device->device, layout->pipelineLayout, nullptr);
    m_pipelineLayouts.remove(handle);
}

// ---- Bind groups ----------------------------------------------------------------------------------------------

VkDescriptorPool VulkanResourceManager::createDescriptorPool(VkDevice device)
{
    VkDescriptorPoolCreateInfo createInfo{ VK_STRUCTURE_TYPE_DESCRIPTOR_POOL_CREATE_INFO };
    createInfo.flags = VK_DESCRIPTOR_POOL_CREATE_FREE_DESCRIPTOR_SET_BIT;
    createInfo.maxSets = descriptorPoolMaxSets;
    createInfo.poolSizeCount = static_cast<uint32_t>(std::size(descriptorPoolSizes));
    createInfo.pPoolSizes = descriptorPoolSizes;
    VkDescriptorPool pool = VK_NULL_HANDLE;
    const VkResult result = vkCreateDescriptorPool(device, &createInfo, nullptr, &pool);
    if (result != VK_SUCCESS)
        TBGPU_LOG_ERROR("Error when creating descriptor pool: {}", static_cast<int>(result));
    return pool; // a null pool is still listed: the allocation from it fails and reports itself
}

Handle<BindGroup_t> VulkanResourceManager::createBindGroup(const Handle<Device_t> &deviceHandle,
                                                           const BindGroupOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    VulkanBindGroupLayout *layout = m_bindGroupLayouts.get(options.layout);
    if (!layout) {
        TBGPU_LOG_ERROR("Error when allocating descriptor set: {}", static_cast<int>(VK_ERROR_INITIALIZATION_FAILED));
        return {};
    }
    auto addPool = [&] {
        device->descriptorPools.push_back(createDescriptorPool(device->device));
        device->descriptorPoolSetCounts.push_back(0);
    };
    if (device->descriptorPools.empty())
        addPool();

    auto allocate = [&](VkDescriptorPool pool, VkDescriptorSet &set) {
        if (pool == VK_NULL_HANDLE)
            return VK_ERROR_INITIALIZATION_FAILED; // Vulkan has no null pools to allocate from
        VkDescriptorSetAllocateInfo allocateInfo{ VK_STRUCTURE_TYPE_DESCRIPTOR_SET_ALLOCATE_INFO };
        allocateInfo.descriptorPool = pool;
        allocateInfo.descriptorSetCount = 1;
        allocateInfo.pSetLayouts = &layout->descriptorSetLayout;
        return vkAllocateDescriptorSets(device->device, &allocateInfo, &set);
    };
    VkDescriptorSet set = VK_NULL_HANDLE;
    // A pool at its set limit counts as exhausted whether or not the driver would still allocate from it.
    VkResult result = device->descriptorPoolSetCounts.back() >= descriptorPoolMaxSets
            ? VK_ERROR_OUT_OF_POOL_MEMORY
            : allocate(device->descriptorPools.back(), set);
    if (result == VK_ERROR_OUT_OF_POOL_MEMORY || result == VK_ERROR_FRAGMENTED_POOL) {
        addPool();
        result = allocate(device->descriptorPools.back(), set);
    }
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when allocating descriptor set: {}", static_cast<int>(result));
        return {};
    }

    ++device->descriptorPoolSetCounts.back();
    const Handle<BindGroup_t> handle =
            m_bindGroups.insert(VulkanBindGroup(set, device->descriptorPools.back(), this, deviceHandle));
    for (const BindGroupEntry &entry : options.resources)
        m_bindGroups.get(handle)->update(entry);
    return handle;
}

void VulkanResourceManager::deleteBindGroup(const Handle<BindGroup_t> &handle)
{
    VulkanBindGroup *bindGroup = m_bindGroups.get(handle);
    if (!bindGroup)
        return;
    if (VulkanDevice *device = m_devices.get(bindGroup->deviceHandle)) {
        vkFreeDescriptorSets(device->device, bindGroup->descriptorPool, 1, &bindGroup->descriptorSet);
        for (size_t i = 0; i < device->descriptorPools.size(); ++i)
            if (device->descriptorPools[i] == bindGroup->descriptorPool && device->descriptorPoolSetCounts[i] > 0)
                --device->descriptorPoolSetCounts[i];
    }
    m_bindGroups.remove(handle);
}

// ---- Render passes for pipelines ------------------------------------------------------------------------------

Handle<RenderPass_t> VulkanResourceManager::createRenderPass(const Handle<Device_t> &deviceHandle,
                                                             const std::vector<RenderTargetOptions> &renderTargets,
                                                             const DepthStencilOptions &depthStencil,
                                                             SampleCountFlagBits samples, uint32_t viewCount)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    const bool multisampled = samples != SampleCountFlagBits::Samples1Bit;
    std::vector<VkAttachmentDescription2> attachments;
    std::vector<VkAttachmentReference2> colorReferences;
    std::vector<VkAttachmentReference2> resolveReferences;
    for (const RenderTargetOptions &target : renderTargets) {
        attachments.push_back(attachment(target.format, samples,
                                         multisampled ? VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL
                                                      : VK_IMAGE_LAYOUT_PRESENT_SRC_KHR));
        colorReferences.push_back(reference(uint32_t(attachments.size() - 1), VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL,
                                            VK_IMAGE_ASPECT_COLOR_BIT));
        if (multisampled) {
            attachments.push_back(
                    attachment(target.format, SampleCountFlagBits::Samples1Bit, VK_IMAGE_LAYOUT_PRESENT_SRC_KHR));
            resolveReferences.push_back(reference(uint32_t(attachments.size() - 1),
                                                  VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL,
                                                  VK_IMAGE_ASPECT_COLOR_BIT));
        }
    }

    VkSubpassDescription2 subpass{ VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_2 };
    subpass.pipelineBindPoint = VK_PIPELINE_BIND_POINT_GRAPHICS;
    subpass.colorAttachmentCount = static_cast<uint32_t>(colorReferences.size());
    subpass.pColorAttachments = colorReferences.data();
    subpass.pResolveAttachments = resolveReferences.empty() ? nullptr : resolveReferences.data();

    VkAttachmentReference2 depthReference{};
    VkAttachmentReference2 depthResolveReference{};
    VkSubpassDescriptionDepthStencilResolve depthResolve{ VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_DEPTH_STENCIL_RESOLVE };
    if (depthStencil.format != Format::UNDEFINED) {
        attachments.push_back(
                attachment(depthStencil.format, samples, VK_IMAGE_LAYOUT_DEPTH_STENCIL_ATTACHMENT_OPTIMAL));
        depthReference = reference(uint32_t(attachments.size() - 1), VK_IMAGE_LAYOUT_DEPTH_STENCIL_ATTACHMENT_OPTIMAL,
                                   0);
        subpass.pDepthStencilAttachment = &depthReference;
        if (multisampled && depthStencil.resolveDepthStencil) {
            attachments.push_back(attachment(depthStencil.format, SampleCountFlagBits::Samples1Bit,
                                             VK_IMAGE_LAYOUT_DEPTH_STENCIL_ATTACHMENT_OPTIMAL));
            depthResolveReference = reference(uint32_t(attachments.size() - 1),
                                              VK_IMAGE_LAYOUT_DEPTH_STENCIL_ATTACHMENT_OPTIMAL, 0);
            depthResolve.depthResolveMode = VK_RESOLVE_MODE_AVERAGE_BIT;
            depthResolve.stencilResolveMode = VK_RESOLVE_MODE_NONE;
            depthResolve.pDepthStencilResolveAttachment = &depthResolveReference;
            subpass.pNext = &depthResolve;
        }
    }

    return insertRenderPass(deviceHandle, device->device, attachments, subpass, viewCount);
}

Handle<RenderPass_t> VulkanResourceManager::insertRenderPass(const Handle<Device_t> &deviceHandle, VkDevice device,
                                                             const std::vector<VkAttachmentDescription2> &attachments,
                                                             VkSubpassDescription2 &subpass, uint32_t viewCount)
{
    const uint32_t viewMask = viewCount > 1 ? (1u << viewCount) - 1 : 0;
    subpass.viewMask = viewMask;
    VkRenderPassCreateInfo2 createInfo{ VK_STRUCTURE_TYPE_RENDER_PASS_CREATE_INFO_2 };
    createInfo.attachmentCount = static_cast<uint32_t>(attachments.size());
    createInfo.pAttachments = attachments.data();
    createInfo.subpassCount = 1;
    createInfo.pSubpasses = &subpass;
    const std::array<VkSubpassDependency2, 2> dependencies = externalDependencies();
    createInfo.dependencyCount = static_cast<uint32_t>(dependencies.size());
    createInfo.pDependencies = dependencies.data();
    if (viewMask != 0) {
        createInfo.correlatedViewMaskCount = 1;
        createInfo.pCorrelatedViewMasks = &viewMask;
    }
    VkRenderPass renderPass = VK_NULL_HANDLE;
    const VkResult result = vkCreateRenderPass2(device, &createInfo, nullptr, &renderPass);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating render pass: {}", static_cast<int>(result));
        return {};
    }
    VulkanRenderPass record;
    record.renderPass = renderPass;
    record.vulkanResourceManager = this;
    record.deviceHandle = deviceHandle;
    return m_renderPasses.insert(record);
}

// ---- Graphics pipelines ---------------------------------------------------------------------------------------

Handle<GraphicsPipeline_t> VulkanResourceManager::createGraphicsPipeline(const Handle<Device_t> &deviceHandle,
                                                                         const GraphicsPipelineOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }

    std::vector<VkPipelineShaderStageCreateInfo> stages;
    for (const ShaderStage &stage : options.shaderStages) {
        VulkanShaderModule *module = m_shaderModules.get(stage.shaderModule);
        if (!module)
            return {};
        VkPipelineShaderStageCreateInfo stageInfo{ VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO };
        stageInfo.stage = static_cast<VkShaderStageFlagBits>(stage.stage);
        stageInfo.module = module->shaderModule;
        stageInfo.pName = stage.entryPoint.c_str();
        stages.push_back(stageInfo);
    }

    std::vector<VkVertexInputBindingDescription> vertexBindings;
    for (const VertexBufferLayout &buffer : options.vertex.buffers)
        vertexBindings.push_back({ buffer.binding, buffer.stride, static_cast<VkVertexInputRate>(buffer.inputRate) });
    std::vector<VkVertexInputAttributeDescription> vertexAttributes;
    for (const VertexAttribute &attribute : options.vertex.attributes)
        vertexAttributes.push_back({ attribute.location, attribute.binding, formatToVkFormat(attribute.format),
                                     static_cast<uint32_t>(attribute.offset) });
    VkPipelineVertexInputStateCreateInfo vertexInput{ VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO };
    vertexInput.vertexBindingDescriptionCount = static_cast<uint32_t>(vertexBindings.size());
    vertexInput.pVertexBindingDescriptions = vertexBindings.data();
    vertexInput.vertexAttributeDescriptionCount = static_cast<uint32_t>(vertexAttributes.size());
    vertexInput.pVertexAttributeDescriptions = vertexAttributes.data();

    VkPipelineInputAssemblyStateCreateInfo inputAssembly{ VK_STRUCTURE_TYPE_PIPELINE_INPUT_ASSEMBLY_STATE_CREATE_INFO };
    inputAssembly.topology = static_cast<VkPrimitiveTopology>(options.primitive.topology);
    inputAssembly.primitiveRestartEnable = options.primitive.primitiveRestart ? VK_TRUE : VK_FALSE;

    VkPipelineTessellationStateCreateInfo tessellation{ VK_STRUCTURE_TYPE_PIPELINE_TESSELLATION_STATE_CREATE_INFO };
    tessellation.patchControlPoints = options.primitive.patchControlPoints;

    VkPipelineViewportStateCreateInfo viewport{ VK_STRUCTURE_TYPE_PIPELINE_VIEWPORT_STATE_CREATE_INFO };
    viewport.viewportCount = 1;
    viewport.scissorCount = 1;

    const PrimitiveOptions &primitive = options.primitive;
    VkPipelineRasterizationStateCreateInfo rasterization{ VK_STRUCTURE_TYPE_PIPELINE_RASTERIZATION_STATE_CREATE_INFO };
    rasterization.depthClampEnable = VK_FALSE;
    rasterization.rasterizerDiscardEnable = VK_FALSE;
    rasterization.polygonMode = static_cast<VkPolygonMode>(primitive.polygonMode);
    rasterization.cullMode = primitive.cullMode.toInt();
    rasterization.frontFace = static_cast<VkFrontFace>(primitive.frontFace);
    rasterization.depthBiasEnable = primitive.depthBias.enabled ? VK_TRUE : VK_FALSE;
    rasterization.depthBiasConstantFactor = primitive.depthBias.biasConstantFactor;
    rasterization.depthBiasClamp = primitive.depthBias.biasClamp;
    rasterization.depthBiasSlopeFactor = primitive.depthBias.biasSlopeFactor;
    rasterization.lineWidth = primitive.lineWidth;

    const MultisampleOptions &multisample = options.multisample;
    VkPipelineMultisampleStateCreateInfo multisampling{ VK_STRUCTURE_TYPE_PIPELINE_MULTISAMPLE_STATE_CREATE_INFO };
    multisampling.rasterizationSamples = sampleCountFlagBitsToVkSampleFlagBits(multisample.samples);
    // Per-sample shading needs the device feature; without it a multisampled pipeline shades per pixel.
    multisampling.sampleShadingEnable =
            multisample.samples != SampleCountFlagBits::Samples1Bit && device->sampleRateShadingEnabled ? VK_TRUE
                                                                                                       : VK_FALSE;
    multisampling.minSampleShading = 1.0f;
    multisampling.pSampleMask = multisample.sampleMasks.empty() ? nullptr : multisample.sampleMasks.data();
    multisampling.alphaToCoverageEnable = multisample.alphaToCoverageEnabled ? VK_TRUE : VK_FALSE;
    multisampling.alphaToOneEnable = VK_FALSE;

    const DepthStencilOptions &depth = options.depthStencil;
    VkPipelineDepthStencilStateCreateInfo depthStencil{ VK_STRUCTURE_TYPE_PIPELINE_DEPTH_STENCIL_STATE_CREATE_INFO };
    depthStencil.depthTestEnable = depth.depthTestEnabled ? VK_TRUE : VK_FALSE;
    depthStencil.depthWriteEnable = depth.depthWritesEnabled ? VK_TRUE : VK_FALSE;
    depthStencil.depthCompareOp = static_cast<VkCompareOp>(depth.depthCompareOperation);
    depthStencil.depthBoundsTestEnable = VK_FALSE;
    depthStencil.stencilTestEnable = depth.stencilTestEnabled ? VK_TRUE : VK_FALSE;
    depthStencil.front = stencilState(depth.stencilFront);
    depthStencil.back = stencilState(depth.stencilBack);
    depthStencil.minDepthBounds = 0.0f;
    depthStencil.maxDepthBounds = 1.0f;

    std::vector<VkPipelineColorBlendAttachmentState> blendAttachments;
    for (const RenderTargetOptions &target : options.renderTargets) {
        const BlendOptions &blend = target.blending;
        blendAttachments.push_back({ blend.blendingEnabled ? VK_TRUE : VK_FALSE,
                                     static_cast<VkBlendFactor>(blend.color.srcFactor),
                                     static_cast<VkBlendFactor>(blend.color.dstFactor),
                                     static_cast<VkBlendOp>(blend.color.operation),
                                     static_cast<VkBlendFactor>(blend.alpha.srcFactor),
                                     static_cast<VkBlendFactor>(blend.alpha.dstFactor),
                                     static_cast<VkBlendOp>(blend.alpha.operation), target.writeMask.toInt() });
    }
    VkPipelineColorBlendStateCreateInfo colorBlend{ VK_STRUCTURE_TYPE_PIPELINE_COLOR_BLEND_STATE_CREATE_INFO };
    colorBlend.logicOpEnable = VK_FALSE;
    colorBlend.logicOp = VK_LOGIC_OP_COPY;
    colorBlend.attachmentCount = static_cast<uint32_t>(blendAttachments.size());
    colorBlend.pAttachments = blendAttachments.data();

    std::vector<VkDynamicState> dynamicStates = { VK_DYNAMIC_STATE_VIEWPORT, VK_DYNAMIC_STATE_SCISSOR };
    for (DynamicState state : options.dynamicState)
        dynamicStates.push_back(static_cast<VkDynamicState>(state));
    VkPipelineDynamicStateCreateInfo dynamic{ VK_STRUCTURE_TYPE_PIPELINE_DYNAMIC_STATE_CREATE_INFO };
    dynamic.dynamicStateCount = static_cast<uint32_t>(dynamicStates.size());
    dynamic.pDynamicStates = dynamicStates.data();

    VulkanPipelineLayout *layout = m_pipelineLayouts.get(options.layout);
    if (!layout) {
        TBGPU_LOG_ERROR("Invalid pipeline layout requested");
        return {};
    }
    const VkPipelineLayout vkLayout = layout->pipelineLayout;

    Handle<RenderPass_t> renderPassHandle;
    if (!options.renderTargets.empty())
        renderPassHandle = createRenderPass(deviceHandle, options.renderTargets, options.depthStencil,
                                            options.multisample.samples, options.viewCount);
    VulkanRenderPass *renderPass = m_renderPasses.get(renderPassHandle);

    VkGraphicsPipelineCreateInfo createInfo{ VK_STRUCTURE_TYPE_GRAPHICS_PIPELINE_CREATE_INFO };
    createInfo.stageCount = static_cast<uint32_t>(stages.size());
    createInfo.pStages = stages.data();
    createInfo.pVertexInputState = &vertexInput;
    createInfo.pInputAssemblyState = &inputAssembly;
    createInfo.pTessellationState = &tessellation;
    createInfo.pViewportState = &viewport;
    createInfo.pRasterizationState = &rasterization;
    createInfo.pMultisampleState = &multisampling;
    createInfo.pDepthStencilState = &depthStencil;
    createInfo.pColorBlendState = &colorBlend;
    createInfo.pDynamicState = &dynamic;
    createInfo.layout = vkLayout;
    createInfo.renderPass = renderPass ? renderPass->renderPass : VK_NULL_HANDLE;
    createInfo.subpass = 0;
    createInfo.basePipelineHandle = VK_NULL_HANDLE;
    createInfo.basePipelineIndex = -1;
    VkPipeline pipeline = VK_NULL_HANDLE;
    const VkResult result = vkCreateGraphicsPipelines(device->device, VK_NULL_HANDLE, 1, &createInfo, nullptr, &pipeline);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating graphics pipeline: {}", static_cast<int>(result));
        deleteRenderPass(renderPassHandle); // made for this pipeline only
        return {};
    }
    VulkanGraphicsPipeline record;
    record.pipeline = pipeline;
    record.dynamicStates = std::move(dynamicStates);
    record.vulkanResourceManager = this;
    record.renderPassHandle = renderPassHandle;
    record.deviceHandle = deviceHandle;
    record.pipelineLayoutHandle = options.layout;
    return m_graphicsPipelines.insert(std::move(record));
}

void VulkanResourceManager::deleteGraphicsPipeline(const Handle<GraphicsPipeline_t> &handle)
{
    VulkanGraphicsPipeline *pipeline = m_graphicsPipelines.get(handle);
    if (!pipeline)
        return;
    if (VulkanDevice *device = m_devices.get(pipeline->deviceHandle))
        vkDestroyPipeline(device->device, pipeline->pipeline, nullptr);
    deleteRenderPass(pipeline->renderPassHandle);
    m_graphicsPipelines.remove(handle);
}

// ---- Compute pipelines ----------------------------------------------------------------------------------------

Handle<ComputePipeline_t> VulkanResourceManager::createComputePipeline(const Handle<Device_t> &deviceHandle,
                                                                       const ComputePipelineOptions &options)
{
    VulkanDevice *device = m_devices.get(deviceHandle);
    if (!device) {
        TBGPU_LOG_ERROR("Could not find a valid device");
        return {};
    }
    VulkanPipelineLayout *layout = m_pipelineLayouts.get(options.layout);
    if (!layout) {
        TBGPU_LOG_ERROR("Invalid pipeline layout requested");
        return {};
    }
    VulkanShaderModule *module = m_shaderModules.get(options.shaderStage.shaderModule);
    if (!module)
        return {};
    VkComputePipelineCreateInfo createInfo{ VK_STRUCTURE_TYPE_COMPUTE_PIPELINE_CREATE_INFO };
    createInfo.stage = { VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO };
    createInfo.stage.stage = VK_SHADER_STAGE_COMPUTE_BIT;
    createInfo.stage.module = module->shaderModule;
    createInfo.stage.pName = options.shaderStage.entryPoint.c_str();
    createInfo.layout = layout->pipelineLayout;
    createInfo.basePipelineIndex = -1;
    VkPipeline pipeline = VK_NULL_HANDLE;
    const VkResult result = vkCreateComputePipelines(device->device, VK_NULL_HANDLE, 1, &createInfo, nullptr, &pipeline);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating compute pipeline: {}", static_cast<int>(result));
        return {};
    }
    VulkanComputePipeline record;
    record.pipeline = pipeline;
    record.vulkanResourceManager = this;
    record.deviceHandle = deviceHandle;
    record.pipelineLayoutHandle = options.layout;
    return m_computePipelines.insert(record);
}

void VulkanResourceManager::deleteComputePipeline(const Handle<ComputePipeline_t> &handle)
{
    VulkanComputePipeline *pipeline = m_computePipelines.get(handle);
    if (!pipeline)
        return;
    if (VulkanDevice *device = m_devices.get(pipeline->deviceHandle))
        vkDestroyPipeline(device->device, pipeline->pipeline, nullptr);
    m_computePipelines.remove(handle);
}

} // namespace TbGpu
