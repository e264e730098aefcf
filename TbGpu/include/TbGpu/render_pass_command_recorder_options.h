#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>
#include <TbGpu/transfer_commands.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// A colour attachment of a pass. The resolve view is used when the pass has more than one sample.
struct ColorAttachment {
    Handle<TextureView_t> view;
    Handle<TextureView_t> resolveView;
    AttachmentLoadOperation loadOperation{ AttachmentLoadOperation::Clear };
    AttachmentStoreOperation storeOperation{ AttachmentStoreOperation::Store };
    ColorClearValue clearValue{};
    TextureLayout initialLayout{ TextureLayout::Undefined };
    TextureLayout layout{ TextureLayout::ColorAttachmentOptimal };
    TextureLayout finalLayout{ TextureLayout::PresentSrc };
};

// Present when `view` is valid.
struct DepthStencilAttachment {
    Handle<TextureView_t> view;
    Handle<TextureView_t> resolveView;
    AttachmentLoadOperation depthLoadOperation{ AttachmentLoadOperation::Clear };
    AttachmentStoreOperation depthStoreOperation{ AttachmentStoreOperation::Store };
    float depthClearValue{ 1.0f };
    ResolveModeFlagBits depthResolveMode{ ResolveModeFlagBits::None };
    AttachmentLoadOperation stencilLoadOperation{ AttachmentLoadOperation::DontCare };
    AttachmentStoreOperation stencilStoreOperation{ AttachmentStoreOperation::DontCare };
    uint32_t stencilClearValue{ 0 };
    ResolveModeFlagBits stencilResolveMode{ ResolveModeFlagBits::None };
    TextureLayout initialLayout{ TextureLayout::Undefined };
    TextureLayout layout{ TextureLayout::DepthStencilAttachmentOptimal };
    TextureLayout finalLayout{ TextureLayout::DepthStencilAttachmentOptimal };
};

// A pass over at least one colour attachment. A view count above 1 renders every draw into that many array
// layers at once (multiview); the views must then hold that many layers.
struct RenderPassCommandRecorderOptions {
    std::vector<ColorAttachment> colorAttachments;
    DepthStencilAttachment depthStencilAttachment;
    SampleCountFlagBits samples{ SampleCountFlagBits::Samples1Bit };
    uint32_t viewCount{ 1 };
};

} // namespace TbGpu
