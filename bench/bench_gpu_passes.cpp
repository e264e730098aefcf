// TbGpu: beginning render passes on the device's cached render pass and framebuffer against building both for
// every pass. Each iteration records 16 passes into a fresh command recorder and frees its command buffer.
// Runs on whatever Vulkan device the machine offers (lavapipe on CPU-only machines), without validation.
#include "vulkan/vulkan_resource_manager.h"

#include <TbGpu/device.h>
#include <TbGpu/instance.h>
#include <TbGpu/utils/logging.h>
#include <TbGpu/vulkan/vulkan_graphics_api.h>

#include <benchmark/benchmark.h>

#include <spdlog/spdlog.h>

namespace {

constexpr int PassesPerIteration = 16;

struct PassTarget {
    PassTarget()
    {
        TbGpu::Logger::logger()->set_level(spdlog::level::warn);
        instance = TbGpu::Instance(&api, TbGpu::InstanceOptions{});
        const auto type = instance.selectAdapter(TbGpu::AdapterDeviceType::Default) ? TbGpu::AdapterDeviceType::Default
                                                                                    : TbGpu::AdapterDeviceType::Cpu;
        device = std::move(instance.createDefaultDevice(TbGpu::Surface{}, type).device);
        TbGpu::TextureOptions options;
        options.format = TbGpu::Format::R8G8B8A8_UNORM;
        options.extent = { 256, 256, 1 };
        options.arrayLayers = 2;
        options.usage = TbGpu::TextureUsageFlagBits::ColorAttachmentBit;
        texture = device.createTexture(options);
        TbGpu::TextureViewOptions viewOptions;
        viewOptions.viewType = TbGpu::ViewType::ViewType2DArray;
        viewOptions.range.layerCount = 2;
        view = texture.createView(viewOptions);
    }
    ~PassTarget()
    {
        view = {};
        texture = {};
        device = {};
        instance = {};
    }

    TbGpu::RenderPassCommandRecorderOptions passOptions() const
    {
        TbGpu::ColorAttachment colour;
        colour.view = view.handle();
        colour.finalLayout = TbGpu::TextureLayout::ColorAttachmentOptimal;
        return { { colour }, {}, TbGpu::SampleCountFlagBits::Samples1Bit, 2 };
    }

    TbGpu::VulkanGraphicsApi api;
    TbGpu::Instance instance;
    TbGpu::Device device;
    TbGpu::Texture texture;
    TbGpu::TextureView view;
};

PassTarget &target()
{
    static PassTarget passTarget;
    return passTarget;
}

void BM_RenderPassBegin_Cached(benchmark::State &state)
{
    PassTarget &pass = target();
    const TbGpu::RenderPassCommandRecorderOptions options = pass.passOptions();
    for (auto _ : state) {
        TbGpu::CommandRecorder recorder = pass.device.createCommandRecorder();
        for (int i = 0; i < PassesPerIteration; ++i)
            recorder.beginRenderPass(options).end();
        recorder.finish();
    }
    state.SetItemsProcessed(state.iterations() * PassesPerIteration);
}

// The same passes with a render pass and framebuffer made (and destroyed) for each, as without the caches.
void BM_RenderPassBegin_BuiltEveryPass(benchmark::State &state)
{
    PassTarget &pass = target();
    TbGpu::VulkanResourceManager *manager = pass.api.vulkanResourceManager();
    const VkDevice device = manager->getDevice(pass.device.handle())->device;
    const VkImageView view = manager->getTextureView(pass.view.handle())->imageView;

    VkAttachmentDescription2 attachment{ VK_STRUCTURE_TYPE_ATTACHMENT_DESCRIPTION_2 };
    attachment.format = VK_FORMAT_R8G8B8A8_UNORM;
    attachment.samples = VK_SAMPLE_COUNT_1_BIT;
    attachment.loadOp = VK_ATTACHMENT_LOAD_OP_CLEAR;
    attachment.storeOp = VK_ATTACHMENT_STORE_OP_STORE;
    attachment.stencilLoadOp = VK_ATTACHMENT_LOAD_OP_DONT_CARE;
    attachment.stencilStoreOp = VK_ATTACHMENT_STORE_OP_DONT_CARE;
    attachment.finalLayout = VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL;
    VkAttachmentReference2 reference{ VK_STRUCTURE_TYPE_ATTACHMENT_REFERENCE_2 };
    reference.layout = VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL;
    VkSubpassDescription2 subpass{ VK_STRUCTURE_TYPE_SUBPASS_DESCRIPTION_2 };
    subpass.colorAttachmentCount = 1;
    subpass.pColorAttachments = &reference;
    subpass.viewMask = 0x3;
    const uint32_t correlated = 0x3;
    VkRenderPassCreateInfo2 renderPassInfo{ VK_STRUCTURE_TYPE_RENDER_PASS_CREATE_INFO_2 };
    renderPassInfo.attachmentCount = 1;
    renderPassInfo.pAttachments = &attachment;
    renderPassInfo.subpassCount = 1;
    renderPassInfo.pSubpasses = &subpass;
    renderPassInfo.correlatedViewMaskCount = 1;
    renderPassInfo.pCorrelatedViewMasks = &correlated;
    const VkClearValue clear{};

    for (auto _ : state) {
        TbGpu::CommandRecorder recorder = pass.device.createCommandRecorder();
        const VkCommandBuffer commands = manager->getCommandRecorder(recorder.handle())->commandBuffer;
        VkRenderPass renderPasses[PassesPerIteration];
        VkFramebuffer framebuffers[PassesPerIteration];
        for (int i = 0; i < PassesPerIteration; ++i) {
            vkCreateRenderPass2(device, &renderPassInfo, nullptr, &renderPasses[i]);
            VkFramebufferCreateInfo framebufferInfo{ VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO };
            framebufferInfo.renderPass = renderPasses[i];
            framebufferInfo.attachmentCount = 1;
            framebufferInfo.pAttachments = &view;
            framebufferInfo.width = 256;
            framebufferInfo.height = 256;
            framebufferInfo.layers = 1;
            vkCreateFramebuffer(device, &framebufferInfo, nullptr, &framebuffers[i]);
            VkRenderPassBeginInfo beginInfo{ VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO };
            beginInfo.renderPass = renderPasses[i];
            beginInfo.framebuffer = framebuffers[i];
            beginInfo.renderArea = { { 0, 0 }, { 256, 256 } };
            beginInfo.clearValueCount = 1;
            beginInfo.pClearValues = &clear;
            vkCmdBeginRenderPass(commands, &beginInfo, VK_SUBPASS_CONTENTS_INLINE);
            const VkViewport viewport{ 0, 0, 256, 256, 0, 1 };
            vkCmdSetViewport(commands, 0, 1, &viewport);
            vkCmdSetScissor(commands, 0, 1, &beginInfo.renderArea);
            vkCmdEndRenderPass(commands);
        }
        recorder.finish();
        // Never submitted, so the objects may go at once.
        for (int i = 0; i < PassesPerIteration; ++i) {
            vkDestroyFramebuffer(device, framebuffers[i], nullptr);
            vkDestroyRenderPass(device, renderPasses[i], nullptr);
        }
    }
    state.SetItemsProcessed(state.iterations() * PassesPerIteration);
}

} // namespace

BENCHMARK(BM_RenderPassBegin_Cached)->Name("gpu_render_pass_begin/cached");
BENCHMARK(BM_RenderPassBegin_BuiltEveryPass)->Name("gpu_render_pass_begin/built_every_pass");

BENCHMARK_MAIN();
