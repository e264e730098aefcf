#include "vulkan/vulkan_render_pass.h"

#include "vulkan/vulkan_enums.h"

#include <array>
#include <optional>
#include <vector>

namespace TbGpu {

namespace {

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
    constexpr VkPipelineStageFlags readersAround =
            VK_PIPELINE_STAGE_FRAGMENT_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT;

    VkSubpassDependency2 incoming{ VK_STRUCTURE_TYPE_SUBPASS_DEPENDENCY_2 };
    incoming.srcSubpass = VK_SUBPASS_EXTERNAL;
    incoming.dstSubpass = 0;
    incoming.srcStageMask = attachmentStages | readersAround;
    incoming.srcAccessMask = attachmentWrites | VK_ACCESS_TRANSFER_WRITE_BIT;
    incoming.dstStageMask = attachmentStages;
    incoming.dstAccessMask =
            attachmentWrites | VK_ACCESS_COLOR_ATTACHMENT_READ_BIT | VK_ACCESS_DEPTH_STENCIL_ATTACHMENT_READ_BIT;

    VkSubpassDependency2 outgoing{ VK_STRUCTURE_TYPE_SUBPASS_DEPENDENCY_2 };
    outgoing.srcSubpass = 0;
    outgoing.dstSubpass = VK_SUBPASS_EXTERNAL;
    outgoing.srcStageMask = attachmentStages;
    outgoing.srcAccessMask = attachmentWrites;
    outgoing.dstStageMask = readersAround;
    outgoing.dstAccessMask = VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_TRANSFER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
    return { incoming, outgoing };
}

// The attachment descriptions and references of one subpass, in the order the framebuffer's views come.
class SubpassAttachments
{
public:
    explicit SubpassAttachments(const RenderPassKey &key)
        : m_samples(key.samples)
    {
        for (const RenderPassAttachmentKey &color : key.colorAttachments) {
            m_colors.push_back(add(color, color.format, m_samples));
            if (color.resolveFormat != Format::UNDEFINED)
                m_resolves.push_back(add(color, color.resolveFormat, SampleCountFlagBits::Samples1Bit));
        }
        if (key.depthStencilAttachment) {
            const RenderPassAttachmentKey &depth = *key.depthStencilAttachment;
            m_depth = add(depth, depth.format, m_samples);
            if (depth.resolveFormat != Format::UNDEFINED) {
                m_depthResolve = add(depth, depth.resolveFormat, SampleCountFlagBits::Samples1Bit);
                m_depthResolveModes.depthResolveMode = static_cast<VkResolveModeFlagBits>(depth.depthResolveMode);
                m_depthResolveModes.stencilResolveMode = static_cast<VkResolveModeFlagBits>(depth.stencilResolveMode);
                m_depthResolveModes.pDepthStencilResolveAttachment = &*m_depthResolve;
            }
        }
    }
    SubpassAttachments(const SubpassAttachments &) = delete;
    SubpassAttachments &operator=(const SubpassAttachments &) = delete;

    const std::vector<VkAttachmentDescription2> &descriptions() const { return m_descriptions; }

    VkSubpassDescription2 subpass(uint32_t viewMask) const
    {
        VkSubpassDescription2 subpass{ VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_2 };
        subpass.pipelineBindPoint = VK_PIPELINE_BIND_POINT_GRAPHICS;
        subpass.viewMask = viewMask;
        subpass.colorAttachmentCount = static_cast<uint32_t>(m_colors.size());
        subpass.pColorAttachments = m_colors.data();
        subpass.pResolveAttachments = m_resolves.empty() ? nullptr : m_resolves.data();
        subpass.pDepthStencilAttachment = m_depth ? &*m_depth : nullptr;
        subpass.pNext = m_depthResolve ? &m_depthResolveModes : nullptr;
        return subpass;
    }

private:
    VkAttachmentReference2 add(const RenderPassAttachmentKey &attachment, Format format, SampleCountFlagBits samples)
    {
        VkAttachmentDescription2 description{ VK_STRUCTURE_TYPE_ATTACHMENT_DESCRIPTION_2 };
        description.format = formatToVkFormat(format);
        description.samples = sampleCountFlagBitsToVkSampleFlagBits(samples);
        description.loadOp = static_cast<VkAttachmentLoadOp>(attachment.loadOperation);
        description.storeOp = static_cast<VkAttachmentStoreOp>(attachment.storeOperation);
        description.stencilLoadOp = static_cast<VkAttachmentLoadOp>(attachment.stencilLoadOperation);
        description.stencilStoreOp = static_cast<VkAttachmentStoreOp>(attachment.stencilStoreOperation);
        description.initialLayout = textureLayoutToVkImageLayout(attachment.initialLayout);
        description.finalLayout = textureLayoutToVkImageLayout(attachment.finalLayout);
        m_descriptions.push_back(description);

        VkAttachmentReference2 reference{ VK_STRUCTURE_TYPE_ATTACHMENT_REFERENCE_2 };
        reference.attachment = static_cast<uint32_t>(m_descriptions.size() - 1);
        reference.layout = textureLayoutToVkImageLayout(attachment.layout);
        return reference;
    }

    SampleCountFlagBits m_samples;
    std::vector<VkAttachmentDescription2> m_descriptions;
    std::vector<VkAttachmentReference2> m_colors;
    std::vector<VkAttachmentReference2> m_resolves;
    std::optional<VkAttachmentReference2> m_depth;
    std::optional<VkAttachmentReference2> m_depthResolve;
    VkSubpassDescriptionDepthStencilResolve m_depthResolveModes{
        VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_DEPTH_STENCIL_RESOLVE
    };
};

} // namespace

VkResult createVkRenderPass(VkDevice device, const RenderPassKey &key, VkRenderPass *renderPass)
{
    const SubpassAttachments attachments(key);
    const uint32_t viewMask = key.viewCount > 1 ? (1u << key.viewCount) - 1 : 0;
    const VkSubpassDescription2 subpass = attachments.subpass(viewMask);
    const std::array<VkSubpassDependency2, 2> dependencies = externalDependencies();
    VkRenderPassCreateInfo2 createInfo{ VK_STRUCTURE_TYPE_RENDER_PASS_CREATE_INFO_2 };
    createInfo.attachmentCount = static_cast<uint32_t>(attachments.descriptions().size());
    createInfo.pAttachments = attachments.descriptions().data();
    createInfo.subpassCount = 1;
    createInfo.pSubpasses = &subpass;
    createInfo.dependencyCount = static_cast<uint32_t>(dependencies.size());
    createInfo.pDependencies = dependencies.data();
    if (viewMask != 0) {
        createInfo.correlatedViewMaskCount = 1;
        createInfo.pCorrelatedViewMasks = &viewMask;
    }
    return vkCreateRenderPass2(device, &createInfo, nullptr, renderPass);
}

} // namespace TbGpu
