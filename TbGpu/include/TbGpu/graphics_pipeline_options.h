#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>
#include <TbGpu/vertex_options.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TbGpu {

struct ShaderStage {
    Handle<ShaderModule_t> shaderModule;
    ShaderStageFlagBits stage{ ShaderStageFlagBits::VertexBit };
    std::string entryPoint{ "main" };
};

struct BlendComponent {
    BlendOperation operation{ BlendOperation::Add };
    BlendFactor srcFactor{ BlendFactor::One };
    BlendFactor dstFactor{ BlendFactor::Zero };
};

struct BlendOptions {
    bool blendingEnabled{ false };
    BlendComponent color;
    BlendComponent alpha;
};

// One colour target of a pipeline.
struct RenderTargetOptions {
    Format format{ Format::UNDEFINED };
    ColorComponentFlags writeMask{ ColorComponentFlagBits::RBit | ColorComponentFlagBits::GBit |
                                   ColorComponentFlagBits::BBit | ColorComponentFlagBits::ABit };
    BlendOptions blending;
};

struct StencilOperationOptions {
    StencilOperation failOp{ StencilOperation::Keep };
    StencilOperation passOp{ StencilOperation::Keep };
    StencilOperation depthFailOp{ StencilOperation::Keep };
    CompareOperation compareOp{ CompareOperation::Always };
    uint32_t compareMask{ 0 };
    uint32_t writeMask{ 0 };
    uint32_t reference{ 0 };
};

// A format of UNDEFINED means the pipeline has no depth-stencil attachment.
struct DepthStencilOptions {
    Format format{ Format::UNDEFINED };
    bool depthTestEnabled{ true };
    bool depthWritesEnabled{ false };
    CompareOperation depthCompareOperation{ CompareOperation::Less };
    bool stencilTestEnabled{ false };
    StencilOperationOptions stencilFront;
    StencilOperationOptions stencilBack;
    bool resolveDepthStencil{ false };
};

struct DepthBiasOptions {
    bool enabled{ false };
    float biasConstantFactor{ 0.0f };
    float biasClamp{ 0.0f };
    float biasSlopeFactor{ 0.0f };
};

struct PrimitiveOptions {
    PrimitiveTopology topology{ PrimitiveTopology::TriangleList };
    bool primitiveRestart{ false };
    CullModeFlags cullMode{ CullModeFlagBits::BackBit };
    FrontFace frontFace{ FrontFace::CounterClockwise };
    PolygonMode polygonMode{ PolygonMode::Fill };
    uint32_t patchControlPoints{ 0 };
    DepthBiasOptions depthBias;
    float lineWidth{ 1.0f };
};

struct MultisampleOptions {
    SampleCountFlagBits samples{ SampleCountFlagBits::Samples1Bit };
    std::vector<uint32_t> sampleMasks; // empty: every sample
    bool alphaToCoverageEnabled{ false };
};

// A graphics pipeline and the render pass it is made for: colour targets, depth-stencil, sample count and view
// count (above 1: multiview, each draw reaching every view).
struct GraphicsPipelineOptions {
    std::vector<ShaderStage> shaderStages;
    Handle<PipelineLayout_t> layout;
    VertexOptions vertex;
    std::vector<RenderTargetOptions> renderTargets;
    DepthStencilOptions depthStencil;
    PrimitiveOptions primitive;
    MultisampleOptions multisample;
    uint32_t viewCount{ 1 };
    std::vector<DynamicState> dynamicState; // beyond viewport and scissor, which are always dynamic
};

struct ComputeShaderStage {
    Handle<ShaderModule_t> shaderModule;
    std::string entryPoint{ "main" };
};

struct ComputePipelineOptions {
    Handle<PipelineLayout_t> layout;
    ComputeShaderStage shaderStage;
};

} // namespace TbGpu
