#pragma once

#include "vulkan/handle_cache.h"

#include <TbGpu/enums.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace TbGpu {

struct GraphicsPipelineOptions;
struct RenderPassCommandRecorderOptions;

// One attachment of a render pass and, when resolveFormat is set, the single-sampled attachment right after it that
// it is resolved into, with the same operations and layouts.
struct RenderPassAttachmentKey {
    Format format{ Format::UNDEFINED };
    Format resolveFormat{ Format::UNDEFINED }; // UNDEFINED: not resolved
    AttachmentLoadOperation loadOperation{ AttachmentLoadOperation::Clear };
    AttachmentStoreOperation storeOperation{ AttachmentStoreOperation::Store };
    AttachmentLoadOperation stencilLoadOperation{ AttachmentLoadOperation::DontCare };
    AttachmentStoreOperation stencilStoreOperation{ AttachmentStoreOperation::DontCare };
    TextureLayout initialLayout{ TextureLayout::Undefined };
    TextureLayout layout{ TextureLayout::Undefined }; // during the pass
    TextureLayout finalLayout{ TextureLayout::Undefined };
    ResolveModeFlagBits depthResolveMode{ ResolveModeFlagBits::None }; // depth-stencil attachments only
    ResolveModeFlagBits stencilResolveMode{ ResolveModeFlagBits::None };
    bool operator==(const RenderPassAttachmentKey &) const = default;
};

// Everything a one-subpass render pass is made from: two keys are equal only when the render passes would be.
struct RenderPassKey {
    std::vector<RenderPassAttachmentKey> colorAttachments;
    std::optional<RenderPassAttachmentKey> depthStencilAttachment;
    SampleCountFlagBits samples{ SampleCountFlagBits::Samples1Bit };
    uint32_t viewCount{ 1 };
    bool operator==(const RenderPassKey &) const = default;
};

struct RenderPassKeyHash {
    size_t operator()(const RenderPassKey &key) const noexcept;
};

// The render pass a pipeline is made for. Only its formats, samples and views matter (render pass compatibility
// ignores operations and layouts), so the rest is fixed.
RenderPassKey pipelineRenderPassKey(const GraphicsPipelineOptions &options);

// The render pass a recorded pass begins; formatOf gives the format of an attachment's view. Resolve targets count
// only when the pass has more than one sample, a depth-stencil resolve only when its view is given.
RenderPassKey recordingRenderPassKey(const RenderPassCommandRecorderOptions &options,
                                     const std::function<Format(const Handle<TextureView_t> &)> &formatOf);

// The render passes a device made for recording.
class RenderPassCache : public HandleCache<RenderPassKey, RenderPassKeyHash, RenderPass_t>
{ };

} // namespace TbGpu
