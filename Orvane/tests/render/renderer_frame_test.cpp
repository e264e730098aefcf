#include "render_test_support.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/render/offscreen_render_area_manager.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/staging_buffer_pool.h>
#include <Orvane/render/thread_resource_registry.h>

using namespace Orvane;
using namespace Orvane::Test;

namespace {

// Every pixel of the RGBA8 bytes equals `rgba`.
::testing::AssertionResult allPixelsAre(const std::vector<uint8_t> &bytes, std::array<uint8_t, 4> rgba)
{
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
        if (bytes[i] != rgba[0] || bytes[i + 1] != rgba[1] || bytes[i + 2] != rgba[2] || bytes[i + 3] != rgba[3])
            return ::testing::AssertionFailure()
                    << "pixel " << i / 4 << " is (" << int(bytes[i]) << ", " << int(bytes[i + 1]) << ", "
                    << int(bytes[i + 2]) << ", " << int(bytes[i + 3]) << ")";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

using RendererFrameTest = RenderEngineTest;

TEST_F(RendererFrameTest, ClearsBothLayersOfAnOffscreenTargetThroughTheNullPipeline)
{
    ClearAlgorithm *algorithm = start({ offscreenReference(16, 8, 2) });
    // Fences start signalled, so neither of the first two frames waits for anything.
    runFrames(3);
    renderer->device().waitUntilIdle();

    RenderTarget *target = renderer->offscreenManager()->find(0);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->layers, 2u);
    EXPECT_EQ(algorithm->renderedFrames, 4);
    const std::vector<uint8_t> pixels = algorithm->readback(target, 1);
    ASSERT_EQ(pixels.size(), 16u * 8u * 4u * 2u);
    EXPECT_TRUE(allPixelsAre(pixels, { 0, 128, 255, 255 }));
    // The null pipeline was made once (for two views) and reused.
    ASSERT_NE(algorithm->nullShaderProgram, nullptr);
    EXPECT_EQ(algorithm->pipelines.size(), 1u);
    EXPECT_EQ(algorithm->pipelines.entries().begin()->first.viewCount, 2u);
}

TEST_F(RendererFrameTest, FenceCreatedSignalledLetsTheFirstFramesThrough)
{
    auto algorithm = std::make_unique<ClearAlgorithm>();
    algorithm->renderTargetRefs = { offscreenReference(4, 4, 1) };
    renderer->setRenderAlgorithm(std::move(algorithm));
    EXPECT_EQ(renderer->frameFence(0).status(), TbGpu::FenceStatus::Signalled);
    EXPECT_EQ(renderer->frameFence(1).status(), TbGpu::FenceStatus::Signalled);
}

TEST_F(RendererFrameTest, AStoppedEngineLeavesTheFrameFenceSignalledSoThatARestartDoesNotBlock)
{
    start({ offscreenReference(4, 4, 1) });
    runFrames(2);
    engine->running = false; // runs one last frame, which renders nothing
    const uint32_t slot = renderer->inFlightIndex();
    EXPECT_EQ(renderer->frameFence(slot).status(), TbGpu::FenceStatus::Signalled);
    engine->running = true;
    runFrames(2);
}

TEST_F(RendererFrameTest, OffscreenFramesWaitOnThePreviousFramesRenderCompleteSemaphore)
{
    ClearAlgorithm *algorithm = start({ offscreenReference(4, 4, 1) });
    EXPECT_EQ(renderer->renderCompleteSemaphore(), algorithm->renderCompleteSemaphores[0].handle());
    runFrames(1);
    EXPECT_EQ(renderer->renderCompleteSemaphore(), algorithm->renderCompleteSemaphores[1].handle());
    EXPECT_EQ(renderer->inFlightIndex(), 0u);
}

TEST_F(RendererFrameTest, AResizedOffscreenExtentRecreatesTheTargetAndRetiresItsOldTexture)
{
    Orvane::Test::LogCapture defaultLog;
    auto reference = offscreenReference(8, 8, 1);
    auto watcher = std::static_pointer_cast<FixedExtentWatcher>(reference.extentWatcher);
    start({ reference });
    runFrames(1);
    const TbGpu::Handle<TbGpu::Texture_t> oldTexture = renderer->offscreenManager()->find(0)->texture(0);

    watcher->widthValue = 0; // a minimised window keeps its target
    runFrames(1);
    EXPECT_EQ(renderer->offscreenManager()->find(0)->texture(0), oldTexture);

    watcher->widthValue = 12;
    events.clear();
    runFrames(1);
    RenderTarget *target = renderer->offscreenManager()->find(0);
    EXPECT_EQ(target->extent.width, 12u);
    EXPECT_NE(target->texture(0), oldTexture);
    EXPECT_EQ(events, (std::vector<std::string>{ "clear: destroying 0", "clear: created 0" }));
    EXPECT_EQ(defaultLog.count("SURFACE EXTENT HAS CHANGED FROM 8, 8 TO 0, 8"), 1u);
    EXPECT_EQ(defaultLog.count("SURFACE EXTENT HAS CHANGED FROM 8, 8 TO 12, 8"), 1u);
    const auto &batches = renderer->resourceDeleter()->batches();
    const bool retired = std::any_of(batches.begin(), batches.end(), [&](const Render::DeletionBatch &batch) {
        return std::any_of(batch.textures.begin(), batch.textures.end(),
                           [&](const TbGpu::Texture &t) { return t.handle() == oldTexture; });
    });
    EXPECT_TRUE(retired);
}

TEST_F(RendererFrameTest, ReplacingTheAlgorithmRemovesItsTargetsBeforeTheNewOneCreatesItsOwn)
{
    auto first = std::make_unique<ClearAlgorithm>(&events, "first");
    first->renderTargetRefs = { offscreenReference(4, 4, 1), offscreenReference(4, 4, 2) };
    renderer->setRenderAlgorithm(std::move(first));
    auto *meshEntity = root->addChildEntity(std::make_unique<Entity>());
    meshEntity->createComponent<MeshRenderer>();
    engine->running = true;
    runFrames(1);
    events.clear();

    auto second = std::make_unique<ClearAlgorithm>(&events, "second");
    second->renderTargetRefs = { offscreenReference(4, 4, 1) };
    std::unique_ptr<RenderAlgorithm> previous = renderer->setRenderAlgorithm(std::move(second));
    EXPECT_EQ(events,
              (std::vector<std::string>{ "first: destroying 0", "first: destroying 1", "first: mesh renderer removed",
                                         "first: release", "second: initialize", "second: created 0" }));
    EXPECT_EQ(previous->renderer, nullptr);
    EXPECT_EQ(renderer->offscreenManager()->targets().size(), 1u);
    runFrames(2);
}

TEST_F(RendererFrameTest, RetiredObjectsAreDestroyedAfterTheFramesInFlightCompleteAndMemoryStaysFlat)
{
    Orvane::Test::LogCapture defaultLog;
    ClearAlgorithm *algorithm = start({ offscreenReference(4, 4, 1) });

    // Scene resources whose GPU copies are replaced every frame, and a staged upload of 1 MiB per frame.
    auto *buffer = root->addChild(std::make_unique<Buffer>());
    buffer->usage = TbGpu::BufferUsageFlagBits::UniformBufferBit | TbGpu::BufferUsageFlagBits::TransferDstBit;
    buffer->memoryUsage = TbGpu::MemoryUsage::GpuOnly;
    std::vector<uint8_t> pixels(16 * 16 * 4, 200);
    auto *texture = root->addChild(std::make_unique<HandMadeTexture>());
    texture->width = 16u;
    texture->height = 16u;
    texture->format = TbGpu::Format::R8G8B8A8_UNORM;
    auto *material = root->addChild(std::make_unique<Material>());
    material->setTexture(0, 0, texture);
    material->setUniformBuffer(0, 1, buffer, 0);
    root->addChildEntity(std::make_unique<Entity>())->createComponent<MeshRenderer>()->material = material;
    TbGpu::Buffer uploadTarget = renderer->device().createBuffer(
            { 1 << 20, TbGpu::BufferUsageFlagBits::TransferDstBit, TbGpu::MemoryUsage::GpuOnly });
    const std::vector<uint8_t> upload(1 << 20, 7);
    algorithm->recordUploads = [&](TbGpu::CommandRecorder &recorder, uint32_t) {
        uploadBufferData(recorder, *renderer->stagingBufferPool(), uploadTarget.handle(), upload);
    };

    auto churn = [&](int frame) {
        buffer->size = uint64_t(64 + 16 * (frame % 2)); // a new size makes a new GPU buffer
        texture->data = frame % 2 ? pixels.data() : nullptr; // a new texture upload
        runFrames(1);
    };
    for (int frame = 0; frame < 10; ++frame)
        churn(frame);
    const auto settled = liveAllocations();
    for (int frame = 10; frame < 300; ++frame) {
        churn(frame);
        EXPECT_LE(renderer->resourceDeleter()->batches().size(), 2u);
    }
    EXPECT_LE(liveAllocations(), settled + 2);
    EXPECT_LE(renderer->stagingBufferPool()->blockCount(), 3u);
    EXPECT_EQ(defaultLog.count("still potentially referenced"), 0u);
    // The frames in flight still copy into the test's buffer.
    algorithm->recordUploads = nullptr;
    renderer->device().waitUntilIdle();
}
