#include "gpu_commands.h"
#include "spirv_files.h"
#include "vulkan_test_rig.h"

#include <array>

using namespace TbGpu;
using TbGpuTest::VulkanTestRig;

namespace {

constexpr uint32_t size = 64;
constexpr Format colourFormat = Format::R8G8B8A8_UNORM;
constexpr Format depthFormat = Format::D32_SFLOAT;

struct Pixel {
    uint8_t r, g, b, a;
};

ColorClearValue clearColour(float r, float g, float b, float a)
{
    ColorClearValue value;
    value.float32[0] = r;
    value.float32[1] = g;
    value.float32[2] = b;
    value.float32[3] = a;
    return value;
}

} // namespace

class RenderPassTest : public VulkanTestRig
{
protected:
    Texture makeTexture(Format format, uint32_t layers, SampleCountFlagBits samples, TextureUsageFlags usage)
    {
        TextureOptions options;
        options.format = format;
        options.extent = { size, size, 1 };
        options.arrayLayers = layers;
        options.samples = samples;
        options.usage = usage;
        return device.createTexture(options);
    }

    static TextureView arrayView(const Texture &texture, uint32_t layers)
    {
        TextureViewOptions options;
        options.viewType = layers > 1 ? ViewType::ViewType2DArray : ViewType::ViewType2D;
        options.range.layerCount = layers;
        return texture.createView(options);
    }

    VulkanDevice &record() { return *deviceRecord(); }
};

// Both eyes in one pass: view mask 0b11 over two-layer, four-sample colour and depth, resolved into a two-layer
// texture. The triangle's colour comes from a uniform block indexed by the view, so each layer shows its own.
TEST_F(RenderPassTest, MultiviewPassResolvesBothViewsIntoTheirLayers)
{
    const TextureUsageFlags attachmentUse =
            TextureUsageFlagBits::ColorAttachmentBit | TextureUsageFlagBits::TransferSrcBit;
    Texture msaaColour = makeTexture(colourFormat, 2, SampleCountFlagBits::Samples4Bit, attachmentUse);
    Texture msaaDepth = makeTexture(depthFormat, 2, SampleCountFlagBits::Samples4Bit,
                                    TextureUsageFlagBits::DepthStencilAttachmentBit);
    Texture resolved = makeTexture(colourFormat, 2, SampleCountFlagBits::Samples1Bit, attachmentUse);
    ASSERT_TRUE(msaaColour.isValid() && msaaDepth.isValid() && resolved.isValid());
    TextureView msaaColourView = arrayView(msaaColour, 2);
    TextureView msaaDepthView = arrayView(msaaDepth, 2);
    TextureView resolvedView = arrayView(resolved, 2);

    const std::array<float, 8> viewColours = { 1, 0, 0, 1, /* right eye */ 0, 0, 1, 1 };
    Buffer uniforms = device.createBuffer(
            { sizeof(viewColours), BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu }, viewColours.data());
    BindGroupLayout bindGroupLayout = device.createBindGroupLayout(
            { { { 0, 1, ResourceBindingType::UniformBuffer, ShaderStageFlagBits::VertexBit } } });
    PipelineLayout pipelineLayout = device.createPipelineLayout({ { bindGroupLayout.handle() }, {} });
    BindGroup bindGroup = device.createBindGroup(
            { bindGroupLayout.handle(),
              { { 0, UniformBufferBinding{ { uniforms.handle(), 0, BufferBinding::WholeSize } } } } });
    ASSERT_TRUE(bindGroup.isValid());

    ShaderModule vertex = device.createShaderModule(TbGpuTest::readSpirv("multiview_triangle.vert.spv"));
    ShaderModule fragment = device.createShaderModule(TbGpuTest::readSpirv("multiview_triangle.frag.spv"));
    ASSERT_TRUE(vertex.isValid() && fragment.isValid());
    GraphicsPipelineOptions pipelineOptions;
    pipelineOptions.shaderStages = { { vertex.handle(), ShaderStageFlagBits::VertexBit },
                                     { fragment.handle(), ShaderStageFlagBits::FragmentBit } };
    pipelineOptions.layout = pipelineLayout.handle();
    pipelineOptions.renderTargets = { { colourFormat } };
    pipelineOptions.depthStencil.format = depthFormat;
    pipelineOptions.depthStencil.depthWritesEnabled = true;
    pipelineOptions.primitive.cullMode = CullModeFlagBits::None;
    pipelineOptions.multisample.samples = SampleCountFlagBits::Samples4Bit;
    pipelineOptions.viewCount = 2;
    GraphicsPipeline pipeline = device.createGraphicsPipeline(pipelineOptions);
    ASSERT_TRUE(pipeline.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    RenderPassCommandRecorderOptions pass;
    ColorAttachment colour;
    colour.view = msaaColourView.handle();
    colour.resolveView = resolvedView.handle();
    colour.clearValue = clearColour(0, 1, 0, 1);
    colour.finalLayout = TextureLayout::TransferSrcOptimal;
    pass.colorAttachments = { colour };
    pass.depthStencilAttachment.view = msaaDepthView.handle();
    pass.samples = SampleCountFlagBits::Samples4Bit;
    pass.viewCount = 2;
    RenderPassCommandRecorder renderPass = recorder.beginRenderPass(pass);
    ASSERT_TRUE(renderPass.isValid());
    renderPass.setPipeline(pipeline.handle());
    renderPass.setBindGroup(0, bindGroup.handle());
    renderPass.draw(DrawCommand{ 3 });
    renderPass.end();

    // The pass's outgoing dependency orders the resolve and the final layout transition before the copy.
    const std::vector<uint8_t> bytes = TbGpuTest::finishAndReadTexture(device, recorder, resolved, size, size, 2);
    auto pixel = [&](uint32_t layer, uint32_t x, uint32_t y) {
        Pixel p;
        std::memcpy(&p, &bytes[((layer * size + y) * size + x) * 4], 4);
        return p;
    };
    struct LayerExpectation {
        uint32_t layer;
        Pixel inside;
    };
    for (const LayerExpectation &expected :
         { LayerExpectation{ 0, { 255, 0, 0, 255 } }, LayerExpectation{ 1, { 0, 0, 255, 255 } } }) {
        SCOPED_TRACE(expected.layer);
        // Well inside the triangle (upper left) and well outside it (lower right, the clear colour).
        for (auto [x, y] : { std::pair{ 2u, 2u }, std::pair{ 40u, 10u }, std::pair{ 10u, 40u } }) {
            const Pixel p = pixel(expected.layer, x, y);
            EXPECT_EQ(p.r, expected.inside.r) << x << "," << y;
            EXPECT_EQ(p.g, expected.inside.g) << x << "," << y;
            EXPECT_EQ(p.b, expected.inside.b) << x << "," << y;
        }
        for (auto [x, y] : { std::pair{ 63u, 63u }, std::pair{ 40u, 40u }, std::pair{ 60u, 20u } }) {
            const Pixel p = pixel(expected.layer, x, y);
            EXPECT_EQ(p.r, 0) << x << "," << y;
            EXPECT_EQ(p.g, 255) << x << "," << y;
            EXPECT_EQ(p.b, 0) << x << "," << y;
        }
        // The hypotenuse runs through the pixels with x + y = 63: two of their four samples lie inside the
        // triangle, so the resolve averages the view's colour and the clear colour half and half.
        for (uint32_t x : { 5u, 31u, 58u }) {
            const Pixel p = pixel(expected.layer, x, size - 1 - x);
            EXPECT_NEAR(p.r, expected.inside.r / 2, 2) << x;
            EXPECT_NEAR(p.g, 128, 2) << x;
            EXPECT_NEAR(p.b, expected.inside.b / 2, 2) << x;
            EXPECT_EQ(p.a, 255) << x;
        }
    }
}

// A pipeline with more than one view carries a multiview render pass; the cached pass for recording is a separate
// object of the same pool.
TEST_F(RenderPassTest, PipelineRenderPassFollowsItsOptions)
{
    ShaderModule vertex = device.createShaderModule(TbGpuTest::readSpirv("multiview_triangle.vert.spv"));
    ShaderModule fragment = device.createShaderModule(TbGpuTest::readSpirv("multiview_triangle.frag.spv"));
    BindGroupLayout bindGroupLayout = device.createBindGroupLayout(
            { { { 0, 1, ResourceBindingType::UniformBuffer, ShaderStageFlagBits::VertexBit } } });
    PipelineLayout pipelineLayout = device.createPipelineLayout({ { bindGroupLayout.handle() }, {} });
    GraphicsPipelineOptions options;
    options.shaderStages = { { vertex.handle(), ShaderStageFlagBits::VertexBit },
                             { fragment.handle(), ShaderStageFlagBits::FragmentBit } };
    options.layout = pipelineLayout.handle();
    options.renderTargets = { { colourFormat } };

    struct Case {
        const char *name;
        SampleCountFlagBits samples;
        uint32_t viewCount;
        Format depth;
        std::vector<DynamicState> dynamicState;
        size_t expectedDynamicStates;
    };
    const Case cases[] = {
        { "single view", SampleCountFlagBits::Samples1Bit, 1, Format::UNDEFINED, {}, 2 },
        { "two views, multisampled, depth", SampleCountFlagBits::Samples4Bit, 2, depthFormat, {}, 2 },
        { "stencil reference dynamic",
          SampleCountFlagBits::Samples1Bit,
          1,
          Format::D32_SFLOAT_S8_UINT,
          { DynamicState::StencilReference },
          3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        options.multisample.samples = c.samples;
        options.viewCount = c.viewCount;
        options.depthStencil.format = c.depth;
        options.dynamicState = c.dynamicState;
        GraphicsPipeline pipeline = device.createGraphicsPipeline(options);
        ASSERT_TRUE(pipeline.isValid());
        const VulkanGraphicsPipeline *record = manager()->getGraphicsPipeline(pipeline.handle());
        EXPECT_EQ(record->dynamicStates.size(), c.expectedDynamicStates);
        EXPECT_EQ(record->dynamicStates[0], VK_DYNAMIC_STATE_VIEWPORT);
        EXPECT_EQ(record->dynamicStates[1], VK_DYNAMIC_STATE_SCISSOR);
        const Handle<RenderPass_t> renderPass = record->renderPassHandle;
        EXPECT_NE(manager()->getRenderPass(renderPass), nullptr);
        pipeline = {};
        EXPECT_EQ(manager()->getRenderPass(renderPass), nullptr) << "the pipeline's render pass goes with it";
    }
}

TEST_F(RenderPassTest, PipelineCreationFailures)
{
    ShaderModule vertex = device.createShaderModule(TbGpuTest::readSpirv("multiview_triangle.vert.spv"));
    GraphicsPipelineOptions options;
    options.shaderStages = { { vertex.handle(), ShaderStageFlagBits::VertexBit } };
    options.renderTargets = { { colourFormat } };
    {
        TbGpuTest::LogCapture log;
        EXPECT_FALSE(device.createGraphicsPipeline(options).isValid());
        EXPECT_TRUE(log.contains(spdlog::level::err, "Invalid pipeline layout requested"));
    }
    {
        TbGpuTest::LogCapture log;
        options.shaderStages.push_back({ Handle<ShaderModule_t>{ 7, 3 }, ShaderStageFlagBits::FragmentBit });
        EXPECT_FALSE(device.createGraphicsPipeline(options).isValid());
        EXPECT_TRUE(log.lines().empty()) << "an unknown shader module fails silently";
    }
    {
        TbGpuTest::LogCapture log;
        EXPECT_FALSE(device.createShaderModule({}).isValid());
        EXPECT_TRUE(log.contains(spdlog::level::err, "Error when creating shader module: -3"));
    }
}

// A pass's outgoing dependency orders its attachment writes and final layout transition before fragment shaders
// that sample the target and transfers that read it: a second pass samples the first one's target and a copy reads
// the second one's right after it, with no barrier recorded by the caller.
TEST_F(RenderPassTest, TargetsAreSampledAndCopiedRightAfterTheirPass)
{
    const TextureUsageFlags sampledTarget = TextureUsageFlagBits::ColorAttachmentBit | TextureUsageFlagBits::SampledBit;
    const TextureUsageFlags copiedTarget =
            TextureUsageFlagBits::ColorAttachmentBit | TextureUsageFlagBits::TransferSrcBit;
    Texture source = makeTexture(colourFormat, 1, SampleCountFlagBits::Samples1Bit, sampledTarget);
    Texture target = makeTexture(colourFormat, 1, SampleCountFlagBits::Samples1Bit, copiedTarget);
    TextureView sourceView = source.createView();
    TextureView targetView = target.createView();
    Sampler sampler = device.createSampler();
    BindGroupLayout bindGroupLayout = device.createBindGroupLayout(
            { { { 0, 1, ResourceBindingType::CombinedImageSampler, ShaderStageFlagBits::FragmentBit } } });
    PipelineLayout pipelineLayout = device.createPipelineLayout({ { bindGroupLayout.handle() }, {} });
    BindGroup bindGroup =
            device.createBindGroup({ bindGroupLayout.handle(),
                                     { { 0, TextureViewSamplerBinding{ sourceView.handle(), sampler.handle() } } } });
    ShaderModule vertex = device.createShaderModule(TbGpuTest::readSpirv("fullscreen_triangle.vert.spv"));
    ShaderModule fragment = device.createShaderModule(TbGpuTest::readSpirv("sampled_texture.frag.spv"));
    GraphicsPipelineOptions pipelineOptions;
    pipelineOptions.shaderStages = { { vertex.handle(), ShaderStageFlagBits::VertexBit },
                                     { fragment.handle(), ShaderStageFlagBits::FragmentBit } };
    pipelineOptions.layout = pipelineLayout.handle();
    pipelineOptions.renderTargets = { { colourFormat } };
    pipelineOptions.primitive.cullMode = CullModeFlagBits::None;
    GraphicsPipeline pipeline = device.createGraphicsPipeline(pipelineOptions);
    ASSERT_TRUE(bindGroup.isValid() && pipeline.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    ColorAttachment drawn;
    drawn.view = sourceView.handle();
    drawn.clearValue = clearColour(1, 1, 0, 1);
    drawn.finalLayout = TextureLayout::ShaderReadOnlyOptimal;
    recorder.beginRenderPass({ { drawn } }).end();
    ColorAttachment sampling;
    sampling.view = targetView.handle();
    sampling.clearValue = clearColour(0, 0, 0, 1);
    sampling.finalLayout = TextureLayout::TransferSrcOptimal;
    RenderPassCommandRecorder pass = recorder.beginRenderPass({ { sampling } });
    pass.setPipeline(pipeline.handle());
    pass.setBindGroup(0, bindGroup.handle());
    pass.draw(DrawCommand{ 3 });
    pass.end();
    const std::vector<uint8_t> bytes = TbGpuTest::finishAndReadTexture(device, recorder, target, size, size);
    for (uint32_t texel = 0; texel < size * size; ++texel) {
        const uint8_t *p = &bytes[texel * 4];
        ASSERT_EQ((std::array<int, 4>{ p[0], p[1], p[2], p[3] }), (std::array<int, 4>{ 0, 255, 255, 255 })) << texel;
    }
}

// Render passes and framebuffers made for recording are cached per device: the same attachments find the same
// objects, a different load operation a new render pass (and so a new framebuffer), a new view of the same
// format the same render pass with a new framebuffer. Deleting a view evicts the framebuffers made with it.
TEST_F(RenderPassTest, RenderPassAndFramebufferCaches)
{
    Texture target =
            makeTexture(colourFormat, 2, SampleCountFlagBits::Samples1Bit, TextureUsageFlagBits::ColorAttachmentBit);
    TextureView layeredView = arrayView(target, 2);
    TextureView otherView = arrayView(target, 2);

    auto record = [&](const TextureView &view, AttachmentLoadOperation load, uint32_t viewCount) {
        CommandRecorder recorder = device.createCommandRecorder();
        ColorAttachment colour;
        colour.view = view.handle();
        colour.loadOperation = load;
        colour.initialLayout = load == AttachmentLoadOperation::Load ? TextureLayout::ColorAttachmentOptimal
                                                                     : TextureLayout::Undefined;
        colour.finalLayout = TextureLayout::ColorAttachmentOptimal;
        RenderPassCommandRecorder pass =
                recorder.beginRenderPass({ { colour }, {}, SampleCountFlagBits::Samples1Bit, viewCount });
        EXPECT_TRUE(pass.isValid());
        pass.end();
        TbGpuTest::submitAndWait(device, recorder.finish());
    };
    auto framebufferHandles = [&] {
        std::vector<Handle<Framebuffer_t>> handles;
        this->record().framebuffers.forEach(
                [&](const FramebufferKey &, const Handle<Framebuffer_t> &handle) { handles.push_back(handle); });
        return handles;
    };
    auto renderPassHandles = [&] {
        std::vector<Handle<RenderPass_t>> handles;
        this->record().renderPasses.forEach(
                [&](const RenderPassKey &, const Handle<RenderPass_t> &handle) { handles.push_back(handle); });
        return handles;
    };
    auto framebufferLayers = [&] {
        std::vector<uint32_t> layers;
        this->record().framebuffers.forEach(
                [&](const FramebufferKey &key, const Handle<Framebuffer_t> &) { layers.push_back(key.layers); });
        return layers;
    };

    record(layeredView, AttachmentLoadOperation::Clear, 2);
    ASSERT_EQ(this->record().renderPasses.size(), 1u);
    ASSERT_EQ(this->record().framebuffers.size(), 1u);
    const std::vector<Handle<RenderPass_t>> firstPass = renderPassHandles();
    const auto firstFramebuffers = framebufferHandles();
    EXPECT_EQ(framebufferLayers(), std::vector<uint32_t>{ 1 }) << "multiview spreads the views over the layers";

    record(layeredView, AttachmentLoadOperation::Clear, 2);
    EXPECT_EQ(this->record().renderPasses.size(), 1u);
    EXPECT_EQ(renderPassHandles(), firstPass);
    EXPECT_EQ(framebufferHandles(), firstFramebuffers) << "the same attachments find the cached framebuffer";

    record(layeredView, AttachmentLoadOperation::Load, 2);
    EXPECT_EQ(this->record().renderPasses.size(), 2u) << "another load operation is another render pass";
    EXPECT_EQ(this->record().framebuffers.size(), 2u);

    record(otherView, AttachmentLoadOperation::Clear, 2);
    EXPECT_EQ(this->record().renderPasses.size(), 2u) << "a new view of the same format reuses the render pass";
    EXPECT_EQ(this->record().framebuffers.size(), 3u);

    record(layeredView, AttachmentLoadOperation::Clear, 1);
    EXPECT_EQ(this->record().renderPasses.size(), 3u);
    const std::vector<uint32_t> layers = framebufferLayers();
    EXPECT_NE(std::find(layers.begin(), layers.end(), 2u), layers.end())
            << "without multiview the framebuffer has the view's layers";

    // A framebuffer goes with the first of its views: the three of layeredView go, the one of otherView stays.
    const std::vector<Handle<Framebuffer_t>> before = framebufferHandles();
    layeredView = {};
    EXPECT_EQ(this->record().framebuffers.size(), 1u);
    size_t destroyed = 0;
    for (const Handle<Framebuffer_t> &handle : before)
        destroyed += manager()->getFramebuffer(handle) == nullptr ? 1 : 0;
    EXPECT_EQ(destroyed, 3u) << "evicted framebuffers are destroyed";
    otherView = {};
    EXPECT_EQ(this->record().framebuffers.size(), 0u);
}

TEST_F(RenderPassTest, PassFailures)
{
    CommandRecorder recorder = device.createCommandRecorder();
    {
        TbGpuTest::LogCapture log;
        ColorAttachment colour;
        colour.view = Handle<TextureView_t>{ 9, 9 };
        EXPECT_FALSE(recorder.beginRenderPass({ { colour } }).isValid());
        EXPECT_TRUE(log.contains(spdlog::level::err, "Invalid texture view when creating render pass"));
    }
    {
        TbGpuTest::LogCapture log;
        CommandRecorderOptions options;
        options.queue = Handle<Queue_t>{ 40, 1 };
        EXPECT_FALSE(device.createCommandRecorder(options).isValid());
        EXPECT_TRUE(log.contains(spdlog::level::err, "Cannot find requested queue for device"));
    }
    recorder.finish();
}

// Vertex and index buffers, indexed and indirect draws, push constants and scissors inside one pass: the left half
// comes from an indexed quad, the lower right from an indirect draw and the upper right from an indexed indirect
// draw, each clipped by its scissor and tinted by its push constant.
TEST_F(RenderPassTest, BuffersIndirectDrawsPushConstantsAndScissors)
{
    constexpr uint32_t side = 32;
    Texture target =
            device.createTexture({ TextureType::TextureType2D,
                                   colourFormat,
                                   { side, side, 1 },
                                   1,
                                   1,
                                   SampleCountFlagBits::Samples1Bit,
                                   TextureTiling::Optimal,
                                   TextureUsageFlagBits::ColorAttachmentBit | TextureUsageFlagBits::TransferSrcBit });
    TextureView targetView = target.createView();

    // A quad over the left half, then a triangle covering the whole target.
    const float vertices[] = { -1, -1, 0, -1, -1, 1, 0, 1, /* full */ -1, -1, 3, -1, -1, 3 };
    const uint32_t indices[] = { 0, 1, 2, 2, 1, 3, /* full */ 4, 5, 6 };
    const uint32_t indirect[] = { /* draw */ 3, 1, 4, 0, /* indexed draw */ 3, 1, 6, 0, 0 };
    Buffer vertexBuffer = device.createBuffer(
            { sizeof(vertices), BufferUsageFlagBits::VertexBufferBit, MemoryUsage::CpuToGpu }, vertices);
    Buffer indexBuffer = device.createBuffer(
            { sizeof(indices), BufferUsageFlagBits::IndexBufferBit, MemoryUsage::CpuToGpu }, indices);
    Buffer indirectBuffer = device.createBuffer(
            { sizeof(indirect), BufferUsageFlagBits::IndirectBufferBit, MemoryUsage::CpuToGpu }, indirect);

    const PushConstantRange tintRange{ 0, 16, ShaderStageFlagBits::VertexBit };
    PipelineLayout layout = device.createPipelineLayout({ {}, { tintRange } });
    ShaderModule vertex = device.createShaderModule(TbGpuTest::readSpirv("tinted_vertices.vert.spv"));
    ShaderModule fragment = device.createShaderModule(TbGpuTest::readSpirv("multiview_triangle.frag.spv"));
    GraphicsPipelineOptions options;
    options.shaderStages = { { vertex.handle(), ShaderStageFlagBits::VertexBit },
                             { fragment.handle(), ShaderStageFlagBits::FragmentBit } };
    options.layout = layout.handle();
    options.vertex = { { { 0, 8, VertexRate::Vertex } }, { { 0, 0, Format::R32G32_SFLOAT, 0 } } };
    options.renderTargets = { { colourFormat } };
    options.primitive.cullMode = CullModeFlagBits::None;
    GraphicsPipeline pipeline = device.createGraphicsPipeline(options);
    ASSERT_TRUE(pipeline.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    ColorAttachment colour;
    colour.view = targetView.handle();
    colour.clearValue = clearColour(0, 0, 0, 1);
    colour.finalLayout = TextureLayout::TransferSrcOptimal;
    RenderPassCommandRecorder pass = recorder.beginRenderPass({ { colour } });
    pass.setPipeline(pipeline.handle());
    pass.setViewport({ 0, 0, float(side), float(side), 0, 1 });
    pass.setVertexBuffer(0, vertexBuffer.handle());
    pass.setIndexBuffer(indexBuffer.handle(), 0, IndexType::Uint32);
    const float red[] = { 1, 0, 0, 1 };
    pass.pushConstant(tintRange, red);
    pass.drawIndexed(DrawIndexedCommand{ 6 });
    const float blue[] = { 0, 0, 1, 1 };
    pass.setScissor({ { int32_t(side / 2), int32_t(side / 2) }, { side / 2, side / 2 } });
    pass.pushConstant(tintRange, blue);
    pass.drawIndirect(DrawIndirectCommand{ indirectBuffer.handle(), 0, 1, 16 });
    const float green[] = { 0, 1, 0, 1 };
    pass.setScissor({ { int32_t(side / 2), 0 }, { side / 2, side / 2 } });
    pass.pushConstant(tintRange, green);
    pass.drawIndexedIndirect(std::vector<DrawIndirectCommand>{ { indirectBuffer.handle(), 16, 1, 20 } });
    pass.end();
    const std::vector<uint8_t> bytes = TbGpuTest::finishAndReadTexture(device, recorder, target, side, side);
    struct Probe {
        uint32_t x, y;
        Pixel expected;
    };
    const Probe probes[] = {
        { 0, 0, { 255, 0, 0, 255 } },   { 15, 31, { 255, 0, 0, 255 } }, { 16, 16, { 0, 0, 255, 255 } },
        { 31, 31, { 0, 0, 255, 255 } }, { 16, 15, { 0, 255, 0, 255 } }, { 31, 0, { 0, 255, 0, 255 } },
    };
    for (const Probe &probe : probes) {
        const uint8_t *p = &bytes[(probe.y * side + probe.x) * 4];
        EXPECT_EQ((std::array<uint8_t, 4>{ p[0], p[1], p[2], p[3] }),
                  (std::array<uint8_t, 4>{ probe.expected.r, probe.expected.g, probe.expected.b, probe.expected.a }))
                << probe.x << "," << probe.y;
    }
}
