#pragma once

// A small render algorithm and an engine around the GPU test rig's device, for tests that run whole frames.

#include "../assets/asset_test_support.h"

#include <Orvane/assets/dds_image.h>
#include <Orvane/assets/render_state_set.h>
#include <Orvane/assets/texture.h>
#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/render/offscreen_render_area_manager.h>
#include <Orvane/render/offscreen_render_target.h>
#include <Orvane/render/render_algorithm.h>
#include <Orvane/render/render_aspect.h>
#include <Orvane/render/render_states.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/swapchain_manager.h>
#include <Orvane/render/swapchain_render_target.h>
#include <Orvane/spatial/spatial_aspect.h>

#include <gpu_commands.h>
// TbGpu's own records, for the count of live device memory allocations.
#include <vulkan/vulkan_device.h>
#include <vulkan/vulkan_resource_manager.h>

#include <TbGpu/device.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Orvane::Test {

// A texture filled by hand, or from a DDS file of any kind (a cube map included).
class HandMadeTexture : public Texture
{
public:
    explicit HandMadeTexture(TextureType kind = TextureType::TwoDimensional)
        : Texture(kind)
    {
    }
    bool loadFromMemory(const std::vector<uint8_t> &) override { return false; }
    bool loadTexture(const std::string &file) override
    {
        DdsReadResult result = readDdsFile(file);
        if (!result)
            return false;
        adoptDdsImage(std::make_unique<DdsImage>(std::move(*result.image)));
        return true;
    }
};

class FixedExtentWatcher : public WindowExtentWatcher
{
public:
    FixedExtentWatcher(uint32_t w, uint32_t h)
        : widthValue(w)
        , heightValue(h)
    {
    }
    uint32_t width() const override { return widthValue; }
    uint32_t height() const override { return heightValue; }
    float scaleFactor() const override { return 1.0f; }

    uint32_t widthValue;
    uint32_t heightValue;
};

// Clears every target to `clearColor` in one (multiview) pass, binds the null pipeline there, and copies
// offscreen targets into a host-visible buffer per frame slot. It writes down what it is told, in order.
class ClearAlgorithm : public RenderAlgorithm
{
public:
    explicit ClearAlgorithm(std::vector<std::string> *events = nullptr, std::string name = "clear")
        : m_events(events)
        , m_name(std::move(name))
    {
    }

    void note(const std::string &event)
    {
        if (m_events)
            m_events->push_back(m_name + ": " + event);
    }

    void initializeResources() override { note("initialize"); }
    void releaseResources() override { note("release"); }
    void renderTargetCreated(RenderTarget *target) override
    {
        note("created " + std::to_string(target->index));
        createdTargets.push_back(target);
    }
    void renderTargetAboutToBeDestroyed(RenderTarget *target) override
    {
        note("destroying " + std::to_string(target->index));
        readbacks.erase(target);
    }
    void meshRendererAdded(MeshRenderer *) override { note("mesh renderer added"); }
    void meshRendererChanged(MeshRenderer *) override { note("mesh renderer changed"); }
    void meshRendererRemoved(MeshRenderer *) override { note("mesh renderer removed"); }

    bool canRender(uint32_t) override { return renderable; }
    void prepareFrameData(uint32_t) override { ++preparedFrames; }

    TbGpu::Handle<TbGpu::GpuSemaphore_t> renderFrame(uint32_t frameIndex,
                                                     const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waits,
                                                     TbGpu::Handle<TbGpu::Fence_t> fence) override
    {
        TbGpu::Device &device = renderer->device();
        TbGpu::CommandRecorder recorder = device.createCommandRecorder({ renderer->graphicsQueue()->handle() });
        if (recordUploads)
            recordUploads(recorder, frameIndex);
        for (RenderTarget *target : liveTargets())
            recordTarget(recorder, *target, frameIndex);
        m_commands[frameIndex] = recorder.finish();
        TbGpu::SubmitOptions submit;
        submit.commandBuffers = { m_commands[frameIndex].handle() };
        submit.waitSemaphores = waits;
        submit.signalSemaphores = { renderCompleteSemaphores[frameIndex].handle() };
        submit.signalFence = fence;
        renderer->graphicsQueue()->submit(submit);
        ++renderedFrames;
        return renderCompleteSemaphores[frameIndex].handle();
    }

    void postRender(uint32_t) override { cleanupUnusedPipelines(); }

    // The pixels (RGBA8) of the last frame rendered in `slot` into an offscreen target, layer after layer.
    std::vector<uint8_t> readback(RenderTarget *target, uint32_t slot)
    {
        auto &buffers = readbacks.at(target);
        const uint64_t size = uint64_t(target->extent.width) * target->extent.height * 4 * target->layers;
        return TbGpuTest::bufferBytes(buffers.at(slot), size);
    }

    std::vector<RenderTarget *> liveTargets() const
    {
        std::vector<RenderTarget *> targets;
        const auto &references = renderTargetRefs.get();
        for (std::size_t i = 0; i < references.size(); ++i) {
            RenderTarget *target = references[i].type == RenderTargetReference::Offscreen
                    ? static_cast<RenderTarget *>(renderer->offscreenManager()->find(uint32_t(i)))
                    : static_cast<RenderTarget *>(renderer->swapchainManager().find(references[i].surface));
            if (target)
                targets.push_back(target);
        }
        return targets;
    }

    TbGpu::ColorClearValue clearColor{ { 0.0f, 0.5f, 1.0f, 1.0f } };
    // Work recorded at the start of each frame, before the passes.
    std::function<void(TbGpu::CommandRecorder &, uint32_t)> recordUploads;
    bool renderable{ true };
    int preparedFrames{ 0 };
    int renderedFrames{ 0 };
    std::vector<RenderTarget *> createdTargets;
    std::map<RenderTarget *, std::array<TbGpu::Buffer, MaxFramesInFlight>> readbacks;

private:
    void recordTarget(TbGpu::CommandRecorder &recorder, RenderTarget &target, uint32_t frameIndex)
    {
        const bool offscreen = target.type == RenderTargetReference::Offscreen;
        TbGpu::RenderPassCommandRecorderOptions pass;
        TbGpu::ColorAttachment colour;
        colour.view = target.imageView(target.currentImageIndex);
        colour.clearValue = clearColor;
        colour.finalLayout = offscreen ? TbGpu::TextureLayout::TransferSrcOptimal : TbGpu::TextureLayout::PresentSrc;
        pass.colorAttachments = { colour };
        pass.viewCount = target.layers;
        TbGpu::RenderPassCommandRecorder passRecorder = recorder.beginRenderPass(pass);

        RenderStateSet states;
        ColorBlendState blend;
        blend.attachments.push_back({ target.colorFormat() });
        states.setState(blend);
        if (Render::Pipeline *null = pipeline(nullptr, nullShaderProgram, &states, target.layers))
            passRecorder.setPipeline(null->pipeline.handle());
        passRecorder.end();

        if (!offscreen)
            return;
        auto &buffers = readbacks[&target];
        const uint32_t w = target.extent.width;
        const uint32_t h = target.extent.height;
        if (!buffers[frameIndex].isValid())
            buffers[frameIndex] = TbGpuTest::readbackBuffer(renderer->device(), uint64_t(w) * h * 4 * target.layers);
        TbGpu::TextureToBufferCopy copy;
        copy.srcTexture = target.texture(0);
        copy.dstBuffer = buffers[frameIndex].handle();
        for (uint32_t layer = 0; layer < target.layers; ++layer) {
            TbGpu::BufferTextureCopyRegion region;
            region.bufferOffset = uint64_t(w) * h * 4 * layer;
            region.textureSubResource = { TbGpu::TextureAspectFlagBits::ColorBit, 0, layer, 1 };
            region.textureExtent = { w, h, 1 };
            copy.regions.push_back(region);
        }
        recorder.copyTextureToBuffer(copy);
        TbGpuTest::transferToHostBarrier(recorder, buffers[frameIndex]);
    }

    std::vector<std::string> *m_events{ nullptr };
    std::string m_name;
    std::array<TbGpu::CommandBuffer, MaxFramesInFlight> m_commands;
};

// The rig's device inside a render aspect of an engine with a root entity. The engine goes before the rig's
// instance.
class RenderEngineTest : public TbGpuTest::GpuTestRig
{
protected:
    void SetUp() override
    {
        GpuTestRig::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        engine = std::make_unique<AspectEngine>();
        // World transforms are computed before the render aspect reads them, as in the viewer.
        engine->addAspect(std::make_unique<SpatialAspect>());
        aspect = engine->addAspect(std::make_unique<RenderAspect>(std::move(device)));
        renderer = aspect->renderer();
        root = new Entity;
        engine->setRootEntity(std::unique_ptr<Entity>(root));
    }

    void TearDown() override
    {
        engine.reset();
        GpuTestRig::TearDown();
    }

    // Device memory allocations alive now on the renderer's device.
    uint64_t liveAllocations()
    {
        return api.vulkanResourceManager()
                ->getDevice(renderer->device().handle())
                ->allocator->statistics()
                .allocationCount;
    }

    // Installs a clear algorithm for the given targets and starts the engine (which runs the first frame).
    ClearAlgorithm *start(std::vector<RenderTargetReference> references)
    {
        auto algorithm = std::make_unique<ClearAlgorithm>(&events);
        algorithm->renderTargetRefs = std::move(references);
        ClearAlgorithm *raw = algorithm.get();
        renderer->setRenderAlgorithm(std::move(algorithm));
        engine->running = true;
        return raw;
    }

    void runFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            engine->processFrame();
    }

    // What the algorithms were told; it outlives them (they go with the engine).
    std::vector<std::string> events;
    std::unique_ptr<AspectEngine> engine;
    RenderAspect *aspect{ nullptr };
    Renderer *renderer{ nullptr };
    Entity *root{ nullptr };
};

inline RenderTargetReference offscreenReference(uint32_t width, uint32_t height, uint32_t layers)
{
    RenderTargetReference reference;
    reference.type = RenderTargetReference::Offscreen;
    reference.extentWatcher = std::make_shared<FixedExtentWatcher>(width, height);
    reference.layers = layers;
    return reference;
}

} // namespace Orvane::Test
