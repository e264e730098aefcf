#pragma once

#include <TbGpu/graphics_pipeline_options.h>

#include <vulkan/vulkan.h>

#include <vector>

namespace TbGpu {

// The fixed-function states of a graphics pipeline, each made from its part of the options.
VkPipelineInputAssemblyStateCreateInfo inputAssemblyState(const PrimitiveOptions &primitive);
VkPipelineTessellationStateCreateInfo tessellationState(const PrimitiveOptions &primitive);
VkPipelineViewportStateCreateInfo viewportState(); // one viewport and one scissor, both dynamic
VkPipelineRasterizationStateCreateInfo rasterizationState(const PrimitiveOptions &primitive);
// Per-sample shading needs the device feature: without it a multisampled pipeline shades per pixel.
VkPipelineMultisampleStateCreateInfo multisampleState(const MultisampleOptions &multisample,
                                                      bool sampleRateShadingEnabled);
VkPipelineDepthStencilStateCreateInfo depthStencilState(const DepthStencilOptions &depthStencil);

// The states that point into lists: the object holds the lists, and the create info it hands out points into them.
struct VertexInputState {
    explicit VertexInputState(const VertexOptions &vertex);
    VkPipelineVertexInputStateCreateInfo createInfo() const;

    std::vector<VkVertexInputBindingDescription> bindings;
    std::vector<VkVertexInputAttributeDescription> attributes;
};

struct ColorBlendState {
    explicit ColorBlendState(const std::vector<RenderTargetOptions> &renderTargets);
    VkPipelineColorBlendStateCreateInfo createInfo() const;

    std::vector<VkPipelineColorBlendAttachmentState> attachments;
};

// Viewport and scissor always, then the options' own.
struct DynamicStates {
    explicit DynamicStates(const GraphicsPipelineOptions &options);
    VkPipelineDynamicStateCreateInfo createInfo() const;

    std::vector<VkDynamicState> states;
};

} // namespace TbGpu
