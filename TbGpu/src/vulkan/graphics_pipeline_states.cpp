#include "vulkan/graphics_pipeline_states.h"

#include "vulkan/vulkan_enums.h"

namespace TbGpu {

namespace {

VkBool32 vkBool(bool value)
{
    return value ? VK_TRUE : VK_FALSE;
}

VkStencilOpState stencilState(const StencilOperationOptions &options)
{
    return { static_cast<VkStencilOp>(options.failOp),
             static_cast<VkStencilOp>(options.passOp),
             static_cast<VkStencilOp>(options.depthFailOp),
             static_cast<VkCompareOp>(options.compareOp),
             options.compareMask,
             options.writeMask,
             options.reference };
}

VkPipelineColorBlendAttachmentState blendAttachment(const RenderTargetOptions &target)
{
    const BlendOptions &blend = target.blending;
    return { vkBool(blend.blendingEnabled),
             static_cast<VkBlendFactor>(blend.color.srcFactor),
             static_cast<VkBlendFactor>(blend.color.dstFactor),
             static_cast<VkBlendOp>(blend.color.operation),
             static_cast<VkBlendFactor>(blend.alpha.srcFactor),
             static_cast<VkBlendFactor>(blend.alpha.dstFactor),
             static_cast<VkBlendOp>(blend.alpha.operation),
             target.writeMask.toInt() };
}

} // namespace

VkPipelineInputAssemblyStateCreateInfo inputAssemblyState(const PrimitiveOptions &primitive)
{
    VkPipelineInputAssemblyStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_INPUT_ASSEMBLY_STATE_CREATE_INFO };
    state.topology = static_cast<VkPrimitiveTopology>(primitive.topology);
    state.primitiveRestartEnable = vkBool(primitive.primitiveRestart);
    return state;
}

VkPipelineTessellationStateCreateInfo tessellationState(const PrimitiveOptions &primitive)
{
    VkPipelineTessellationStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_TESSELLATION_STATE_CREATE_INFO };
    state.patchControlPoints = primitive.patchControlPoints;
    return state;
}

VkPipelineViewportStateCreateInfo viewportState()
{
    VkPipelineViewportStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_VIEWPORT_STATE_CREATE_INFO };
    state.viewportCount = 1;
    state.scissorCount = 1;
    return state;
}

VkPipelineRasterizationStateCreateInfo rasterizationState(const PrimitiveOptions &primitive)
{
    VkPipelineRasterizationStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_RASTERIZATION_STATE_CREATE_INFO };
    state.depthClampEnable = VK_FALSE;
    state.rasterizerDiscardEnable = VK_FALSE;
    state.polygonMode = static_cast<VkPolygonMode>(primitive.polygonMode);
    state.cullMode = primitive.cullMode.toInt();
    state.frontFace = static_cast<VkFrontFace>(primitive.frontFace);
    state.depthBiasEnable = vkBool(primitive.depthBias.enabled);
    state.depthBiasConstantFactor = primitive.depthBias.biasConstantFactor;
    state.depthBiasClamp = primitive.depthBias.biasClamp;
    state.depthBiasSlopeFactor = primitive.depthBias.biasSlopeFactor;
    state.lineWidth = primitive.lineWidth;
    return state;
}

VkPipelineMultisampleStateCreateInfo multisampleState(const MultisampleOptions &multisample,
                                                      bool sampleRateShadingEnabled)
{
    VkPipelineMultisampleStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_MULTISAMPLE_STATE_CREATE_INFO };
    state.rasterizationSamples = sampleCountFlagBitsToVkSampleFlagBits(multisample.samples);
    state.sampleShadingEnable =
            vkBool(multisample.samples != SampleCountFlagBits::Samples1Bit && sampleRateShadingEnabled);
    state.minSampleShading = 1.0f;
    state.pSampleMask = multisample.sampleMasks.empty() ? nullptr : multisample.sampleMasks.data();
    state.alphaToCoverageEnable = vkBool(multisample.alphaToCoverageEnabled);
    state.alphaToOneEnable = VK_FALSE;
    return state;
}

VkPipelineDepthStencilStateCreateInfo depthStencilState(const DepthStencilOptions &depthStencil)
{
    VkPipelineDepthStencilStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_DEPTH_STENCIL_STATE_CREATE_INFO };
    state.depthTestEnable = vkBool(depthStencil.depthTestEnabled);
    state.depthWriteEnable = vkBool(depthStencil.depthWritesEnabled);
    state.depthCompareOp = static_cast<VkCompareOp>(depthStencil.depthCompareOperation);
    state.depthBoundsTestEnable = VK_FALSE;
    state.stencilTestEnable = vkBool(depthStencil.stencilTestEnabled);
    state.front = stencilState(depthStencil.stencilFront);
    state.back = stencilState(depthStencil.stencilBack);
    state.minDepthBounds = 0.0f;
    state.maxDepthBounds = 1.0f;
    return state;
}

VertexInputState::VertexInputState(const VertexOptions &vertex)
{
    for (const VertexBufferLayout &buffer : vertex.buffers)
        bindings.push_back({ buffer.binding, buffer.stride, static_cast<VkVertexInputRate>(buffer.inputRate) });
    for (const VertexAttribute &attribute : vertex.attributes)
        attributes.push_back({ attribute.location, attribute.binding, formatToVkFormat(attribute.format),
                               static_cast<uint32_t>(attribute.offset) });
}

VkPipelineVertexInputStateCreateInfo VertexInputState::createInfo() const
{
    VkPipelineVertexInputStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO };
    state.vertexBindingDescriptionCount = static_cast<uint32_t>(bindings.size());
    state.pVertexBindingDescriptions = bindings.data();
    state.vertexAttributeDescriptionCount = static_cast<uint32_t>(attributes.size());
    state.pVertexAttributeDescriptions = attributes.data();
    return state;
}

ColorBlendState::ColorBlendState(const std::vector<RenderTargetOptions> &renderTargets)
{
    for (const RenderTargetOptions &target : renderTargets)
        attachments.push_back(blendAttachment(target));
}

VkPipelineColorBlendStateCreateInfo ColorBlendState::createInfo() const
{
    VkPipelineColorBlendStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_COLOR_BLEND_STATE_CREATE_INFO };
    state.logicOpEnable = VK_FALSE;
    state.logicOp = VK_LOGIC_OP_COPY;
    state.attachmentCount = static_cast<uint32_t>(attachments.size());
    state.pAttachments = attachments.data();
    return state;
}

DynamicStates::DynamicStates(const GraphicsPipelineOptions &options)
    : states{ VK_DYNAMIC_STATE_VIEWPORT, VK_DYNAMIC_STATE_SCISSOR }
{
    for (DynamicState state : options.dynamicState)
        states.push_back(static_cast<VkDynamicState>(state));
}

VkPipelineDynamicStateCreateInfo DynamicStates::createInfo() const
{
    VkPipelineDynamicStateCreateInfo state{ VK_STRUCTURE_TYPE_PIPELINE_DYNAMIC_STATE_CREATE_INFO };
    state.dynamicStateCount = static_cast<uint32_t>(states.size());
    state.pDynamicStates = states.data();
    return state;
}

} // namespace TbGpu
