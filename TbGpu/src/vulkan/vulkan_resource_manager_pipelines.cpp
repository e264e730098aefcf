// Shader modules, bind group layouts, pipeline layouts, bind groups and pipelines of the Vulkan resource manager.
#include "vulkan/vulkan_resource_manager.h"

#include "vulkan/graphics_pipeline_states.h"
#include "vulkan/vulkan_enums.h"

#include <TbGpu/utils/logging.h>

namespace TbGpu {

namespace {

// Every descriptor pool of a device has this shape; sets are freed one by one, so pools serve many frames.
constexpr uint32_t descriptorPoolMaxSets = 1024;
constexpr VkDescriptorPoolSize descriptorPoolSizes[] = {
    { VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER, 512 }, { VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER_DYNAMIC, 16 },
    { VK_DESCRIPTOR_TYPE_STORAGE_BUFFER, 512 }, { VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER, 128 },
    { VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, 128 },  { VK_DESCRIPTOR_TYPE_SAMPLER, 8 },
    { VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, 8 },
};

} // namespace

// ---- Shader modules -------------------------------------------------------------------------------------------

Handle<ShaderModule_t> VulkanResourceManager::createShaderModule(const Handle<Device_t> &deviceHandle,
                                                                 const std::vector<uint32_t> &code)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
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
    return pool<ShaderModule_t>().insert(record);
}

void VulkanResourceManager::deleteShaderModule(const Handle<ShaderModule_t> &handle)
{
    VulkanShaderModule *module = pool<ShaderModule_t>().get(handle);
    if (!module)
        return;
    if (VulkanDevice *device = m_devices.get(module->deviceHandle))
        vkDestroyShaderModule(device->device, module->shaderModule, nullptr);
    pool<ShaderModule_t>().remove(handle);
}

// ---- Bind group layouts ---------------------------------------------------------------------------------------

Handle<BindGroupLayout_t> VulkanResourceManager::createBindGroupLayout(const Handle<Device_t> &deviceHandle,
                                                                       const BindGroupLayoutOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
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
    return pool<BindGroupLayout_t>().insert(record);
}

void VulkanResourceManager::deleteBindGroupLayout(const Handle<BindGroupLayout_t> &handle)
{
    VulkanBindGroupLayout *layout = pool<BindGroupLayout_t>().get(handle);
    if (!layout)
        return;
    if (VulkanDevice *device = m_devices.get(layout->deviceHandle))
        vkDestroyDescriptorSetLayout(device->device, layout->descriptorSetLayout, nullptr);
    pool<BindGroupLayout_t>().remove(handle);
}

// ---- Pipeline layouts -----------------------------------------------------------------------------------------

Handle<PipelineLayout_t> VulkanResourceManager::createPipelineLayout(const Handle<Device_t> &deviceHandle,
                                                                     const PipelineLayoutOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    std::vector<VkDescriptorSetLayout> setLayouts;
    for (const Handle<BindGroupLayout_t> &layoutHandle : options.bindGroupLayouts) {
        VulkanBindGroupLayout *layout = pool<BindGroupLayout_t>().get(layoutHandle);
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
    return pool<PipelineLayout_t>().insert(std::move(record));
}

void VulkanResourceManager::deletePipelineLayout(const Handle<PipelineLayout_t> &handle)
{
    VulkanPipelineLayout *layout = pool<PipelineLayout_t>().get(handle);
    if (!layout)
        return;
    if (VulkanDevice *device = m_devices.get(layout->deviceHandle))
        vkDestroyPipelineLayout(device->device, layout->pipelineLayout, nullptr);
    pool<PipelineLayout_t>().remove(handle);
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

// Sets come from the device's newest descriptor pool; one more pool is made when it is exhausted.
Handle<BindGroup_t> VulkanResourceManager::createBindGroup(const Handle<Device_t> &deviceHandle,
                                                           const BindGroupOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    VulkanBindGroupLayout *layout = pool<BindGroupLayout_t>().get(options.layout);
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
            pool<BindGroup_t>().insert(VulkanBindGroup(set, device->descriptorPools.back(), this, deviceHandle));
    for (const BindGroupEntry &entry : options.resources)
        pool<BindGroup_t>().get(handle)->update(entry);
    return handle;
}

void VulkanResourceManager::deleteBindGroup(const Handle<BindGroup_t> &handle)
{
    VulkanBindGroup *bindGroup = pool<BindGroup_t>().get(handle);
    if (!bindGroup)
        return;
    if (VulkanDevice *device = m_devices.get(bindGroup->deviceHandle)) {
        vkFreeDescriptorSets(device->device, bindGroup->descriptorPool, 1, &bindGroup->descriptorSet);
        for (size_t i = 0; i < device->descriptorPools.size(); ++i)
            if (device->descriptorPools[i] == bindGroup->descriptorPool && device->descriptorPoolSetCounts[i] > 0)
                --device->descriptorPoolSetCounts[i];
    }
    pool<BindGroup_t>().remove(handle);
}

// ---- Render passes --------------------------------------------------------------------------------------------

Handle<RenderPass_t> VulkanResourceManager::createRenderPass(const Handle<Device_t> &deviceHandle,
                                                             const RenderPassKey &key)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    VkRenderPass renderPass = VK_NULL_HANDLE;
    const VkResult result = createVkRenderPass(device->device, key, &renderPass);
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

bool VulkanResourceManager::resolveShaderStages(const std::vector<ShaderStage> &shaderStages,
                                                std::vector<VkPipelineShaderStageCreateInfo> &stages) const
{
    for (const ShaderStage &stage : shaderStages) {
        const VulkanShaderModule *module = pool<ShaderModule_t>().get(stage.shaderModule);
        if (!module)
            return false;
        VkPipelineShaderStageCreateInfo stageInfo{ VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO };
        stageInfo.stage = static_cast<VkShaderStageFlagBits>(stage.stage);
        stageInfo.module = module->shaderModule;
        stageInfo.pName = stage.entryPoint.c_str();
        stages.push_back(stageInfo);
    }
    return true;
}

Handle<GraphicsPipeline_t> VulkanResourceManager::createGraphicsPipeline(const Handle<Device_t> &deviceHandle,
                                                                         const GraphicsPipelineOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    std::vector<VkPipelineShaderStageCreateInfo> stages;
    if (!resolveShaderStages(options.shaderStages, stages))
        return {}; // an unknown shader module is refused without a word
    const VulkanPipelineLayout *layout = pool<PipelineLayout_t>().get(options.layout);
    if (!layout) {
        TBGPU_LOG_ERROR("Invalid pipeline layout requested");
        return {};
    }

    const VertexInputState vertexInput(options.vertex);
    const VkPipelineVertexInputStateCreateInfo vertexInputInfo = vertexInput.createInfo();
    const VkPipelineInputAssemblyStateCreateInfo inputAssembly = inputAssemblyState(options.primitive);
    const VkPipelineTessellationStateCreateInfo tessellation = tessellationState(options.primitive);
    const VkPipelineViewportStateCreateInfo viewport = viewportState();
    const VkPipelineRasterizationStateCreateInfo rasterization = rasterizationState(options.primitive);
    const VkPipelineMultisampleStateCreateInfo multisampling =
            multisampleState(options.multisample, device->sampleRateShadingEnabled);
    const VkPipelineDepthStencilStateCreateInfo depthStencil = depthStencilState(options.depthStencil);
    const ColorBlendState colorBlend(options.renderTargets);
    const VkPipelineColorBlendStateCreateInfo colorBlendInfo = colorBlend.createInfo();
    DynamicStates dynamic(options);
    const VkPipelineDynamicStateCreateInfo dynamicInfo = dynamic.createInfo();

    // The pipeline's own render pass, compatible with every pass recorded on targets like its own.
    Handle<RenderPass_t> renderPassHandle;
    if (!options.renderTargets.empty())
        renderPassHandle = createRenderPass(deviceHandle, pipelineRenderPassKey(options));
    const VulkanRenderPass *renderPass = m_renderPasses.get(renderPassHandle);

    VkGraphicsPipelineCreateInfo createInfo{ VK_STRUCTURE_TYPE_GRAPHICS_PIPELINE_CREATE_INFO };
    createInfo.stageCount = static_cast<uint32_t>(stages.size());
    createInfo.pStages = stages.data();
    createInfo.pVertexInputState = &vertexInputInfo;
    createInfo.pInputAssemblyState = &inputAssembly;
    createInfo.pTessellationState = &tessellation;
    createInfo.pViewportState = &viewport;
    createInfo.pRasterizationState = &rasterization;
    createInfo.pMultisampleState = &multisampling;
    createInfo.pDepthStencilState = &depthStencil;
    createInfo.pColorBlendState = &colorBlendInfo;
    createInfo.pDynamicState = &dynamicInfo;
    createInfo.layout = layout->pipelineLayout;
    createInfo.renderPass = renderPass ? renderPass->renderPass : VK_NULL_HANDLE;
    createInfo.subpass = 0;
    createInfo.basePipelineHandle = VK_NULL_HANDLE;
    createInfo.basePipelineIndex = -1;
    VkPipeline pipeline = VK_NULL_HANDLE;
    const VkResult result =
            vkCreateGraphicsPipelines(device->device, VK_NULL_HANDLE, 1, &createInfo, nullptr, &pipeline);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating graphics pipeline: {}", static_cast<int>(result));
        deleteRenderPass(renderPassHandle); // made for this pipeline only
        return {};
    }
    VulkanGraphicsPipeline record;
    record.pipeline = pipeline;
    record.dynamicStates = std::move(dynamic.states);
    record.vulkanResourceManager = this;
    record.renderPassHandle = renderPassHandle;
    record.deviceHandle = deviceHandle;
    record.pipelineLayoutHandle = options.layout;
    return pool<GraphicsPipeline_t>().insert(std::move(record));
}

void VulkanResourceManager::deleteGraphicsPipeline(const Handle<GraphicsPipeline_t> &handle)
{
    VulkanGraphicsPipeline *pipeline = pool<GraphicsPipeline_t>().get(handle);
    if (!pipeline)
        return;
    if (VulkanDevice *device = m_devices.get(pipeline->deviceHandle))
        vkDestroyPipeline(device->device, pipeline->pipeline, nullptr);
    deleteRenderPass(pipeline->renderPassHandle);
    pool<GraphicsPipeline_t>().remove(handle);
}

// ---- Compute pipelines ----------------------------------------------------------------------------------------

Handle<ComputePipeline_t> VulkanResourceManager::createComputePipeline(const Handle<Device_t> &deviceHandle,
                                                                       const ComputePipelineOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    VulkanPipelineLayout *layout = pool<PipelineLayout_t>().get(options.layout);
    if (!layout) {
        TBGPU_LOG_ERROR("Invalid pipeline layout requested");
        return {};
    }
    VulkanShaderModule *module = pool<ShaderModule_t>().get(options.shaderStage.shaderModule);
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
    const VkResult result =
            vkCreateComputePipelines(device->device, VK_NULL_HANDLE, 1, &createInfo, nullptr, &pipeline);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating compute pipeline: {}", static_cast<int>(result));
        return {};
    }
    VulkanComputePipeline record;
    record.pipeline = pipeline;
    record.vulkanResourceManager = this;
    record.deviceHandle = deviceHandle;
    record.pipelineLayoutHandle = options.layout;
    return pool<ComputePipeline_t>().insert(record);
}

void VulkanResourceManager::deleteComputePipeline(const Handle<ComputePipeline_t> &handle)
{
    VulkanComputePipeline *pipeline = pool<ComputePipeline_t>().get(handle);
    if (!pipeline)
        return;
    if (VulkanDevice *device = m_devices.get(pipeline->deviceHandle))
        vkDestroyPipeline(device->device, pipeline->pipeline, nullptr);
    pool<ComputePipeline_t>().remove(handle);
}

} // namespace TbGpu
