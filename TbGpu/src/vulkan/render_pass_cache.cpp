#include "vulkan/render_pass_cache.h"

#include <TbGpu/graphics_pipeline_options.h>
#include <TbGpu/render_pass_command_recorder_options.h>

namespace TbGpu {

namespace {

template<typename... T>
void combineHashes(size_t &seed, const T &...values)
{
    (hashCombine(seed, std::hash<T>{}(values)), ...);
}

size_t hashAttachment(const RenderPassAttachmentKey &a)
{
    size_t seed = 0;
    combineHashes(seed, a.format, a.resolveFormat, a.loadOperation, a.storeOperation, a.stencilLoadOperation,
                  a.stencilStoreOperation, a.initialLayout, a.layout, a.finalLayout, a.depthResolveMode,
                  a.stencilResolveMode);
    return seed;
}

} // namespace

size_t RenderPassKeyHash::operator()(const RenderPassKey &key) const noexcept
{
    size_t seed = 0;
    for (const RenderPassAttachmentKey &attachment : key.colorAttachments)
        hashCombine(seed, hashAttachment(attachment));
    if (key.depthStencilAttachment)
        hashCombine(seed, hashAttachment(*key.depthStencilAttachment));
    combineHashes(seed, key.samples, key.viewCount);
    return seed;
}

RenderPassKey pipelineRenderPassKey(const GraphicsPipelineOptions &options)
{
    const bool multisampled = options.multisample.samples != SampleCountFlagBits::Samples1Bit;
    RenderPassKey key;
    key.samples = options.multisample.samples;
    key.viewCount = options.viewCount;
    for (const RenderTargetOptions &target : options.renderTargets) {
        RenderPassAttachmentKey colour;
        colour.format = target.format;
        colour.resolveFormat = multisampled ? target.format : Format::UNDEFINED;
        colour.layout = colour.finalLayout = TextureLayout::ColorAttachmentOptimal;
        key.colorAttachments.push_back(colour);
    }
    const DepthStencilOptions &depthStencil = options.depthStencil;
    if (depthStencil.format != Format::UNDEFINED) {
        RenderPassAttachmentKey depth;
        depth.format = depthStencil.format;
        depth.layout = depth.finalLayout = TextureLayout::DepthStencilAttachmentOptimal;
        if (multisampled && depthStencil.resolveDepthStencil) {
            depth.resolveFormat = depthStencil.format;
            depth.depthResolveMode = ResolveModeFlagBits::AverageBit;
        }
        key.depthStencilAttachment = depth;
    }
    return key;
}

RenderPassKey recordingRenderPassKey(const RenderPassCommandRecorderOptions &options,
                                     const std::function<Format(const Handle<TextureView_t> &)> &formatOf)
{
    const bool multisampled = options.samples != SampleCountFlagBits::Samples1Bit;
    RenderPassKey key;
    key.samples = options.samples;
    key.viewCount = options.viewCount;
    for (const ColorAttachment &color : options.colorAttachments) {
        RenderPassAttachmentKey attachment;
        attachment.format = formatOf(color.view);
        attachment.resolveFormat = multisampled ? formatOf(color.resolveView) : Format::UNDEFINED;
        attachment.loadOperation = color.loadOperation;
        attachment.storeOperation = color.storeOperation;
        attachment.initialLayout = color.initialLayout;
        attachment.layout = color.layout;
        attachment.finalLayout = color.finalLayout;
        key.colorAttachments.push_back(attachment);
    }
    const DepthStencilAttachment &depth = options.depthStencilAttachment;
    if (depth.view.isValid()) {
        RenderPassAttachmentKey attachment;
        attachment.format = formatOf(depth.view);
        attachment.loadOperation = depth.depthLoadOperation;
        attachment.storeOperation = depth.depthStoreOperation;
        attachment.stencilLoadOperation = depth.stencilLoadOperation;
        attachment.stencilStoreOperation = depth.stencilStoreOperation;
        attachment.initialLayout = depth.initialLayout;
        attachment.layout = depth.layout;
        attachment.finalLayout = depth.finalLayout;
        if (multisampled && depth.resolveView.isValid()) {
            attachment.resolveFormat = formatOf(depth.resolveView);
            attachment.depthResolveMode = depth.depthResolveMode;
            attachment.stencilResolveMode = depth.stencilResolveMode;
        }
        key.depthStencilAttachment = attachment;
    }
    return key;
}

} // namespace TbGpu
