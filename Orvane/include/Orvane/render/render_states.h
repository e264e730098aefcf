#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <vector>

namespace Orvane {

// The kinds of pipeline state a RenderStateSet can override. A kind that a set does not hold keeps the render
// algorithm's default (primitive: triangle list without culling; depth-stencil: test on, writes off, compare
// always; no colour attachments).

struct PrimitiveState {
    TbGpu::PrimitiveTopology topology{ TbGpu::PrimitiveTopology::TriangleList };
    bool primitiveRestart{ false };
    TbGpu::CullModeFlags cullMode{ TbGpu::CullModeFlagBits::None };
    TbGpu::FrontFace frontFace{ TbGpu::FrontFace::CounterClockwise };
    TbGpu::PolygonMode polygonMode{ TbGpu::PolygonMode::Fill };
    float lineWidth{ 1.0f };

    bool operator==(const PrimitiveState &) const = default;
    uint64_t hash() const;
};

struct DepthStencilState {
    TbGpu::Format format{ TbGpu::Format::UNDEFINED }; // the render target's depth format, filled by the algorithm
    bool depthTestEnabled{ true };
    bool depthWritesEnabled{ false };
    TbGpu::CompareOperation depthCompareOperation{ TbGpu::CompareOperation::Always };
    bool stencilTestEnabled{ false };

    bool operator==(const DepthStencilState &) const = default;
    uint64_t hash() const;
};

struct MultisampleState {
    bool alphaToCoverageEnabled{ false };

    bool operator==(const MultisampleState &) const = default;
    uint64_t hash() const;
};

struct ColorBlendAttachmentState {
    TbGpu::Format format{ TbGpu::Format::UNDEFINED }; // undefined: the render target's colour format
    TbGpu::ColorComponentFlags writeMask{ TbGpu::ColorComponentFlagBits::RBit | TbGpu::ColorComponentFlagBits::GBit |
                                          TbGpu::ColorComponentFlagBits::BBit | TbGpu::ColorComponentFlagBits::ABit };
    bool blendingEnabled{ false };
    TbGpu::BlendOperation colorOperation{ TbGpu::BlendOperation::Add };
    TbGpu::BlendFactor colorSrcFactor{ TbGpu::BlendFactor::One };
    TbGpu::BlendFactor colorDstFactor{ TbGpu::BlendFactor::Zero };
    TbGpu::BlendOperation alphaOperation{ TbGpu::BlendOperation::Add };
    TbGpu::BlendFactor alphaSrcFactor{ TbGpu::BlendFactor::One };
    TbGpu::BlendFactor alphaDstFactor{ TbGpu::BlendFactor::Zero };

    bool operator==(const ColorBlendAttachmentState &) const = default;
};

// One entry per colour attachment of the pass.
struct ColorBlendState {
    std::vector<ColorBlendAttachmentState> attachments;

    bool operator==(const ColorBlendState &) const = default;
    uint64_t hash() const;
};

} // namespace Orvane
