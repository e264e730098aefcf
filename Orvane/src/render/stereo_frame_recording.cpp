#include <Orvane/render/stereo_forward_algorithm.h>

#include "frame_clock.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/render/render_target.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/resource_format.h>
#include <Orvane/render/staging_buffer_pool.h>
#include <Orvane/render/storages/buffer_storage.h>
#include <Orvane/render/storages/default_material_storage.h>
#include <Orvane/render/storages/light_storage.h>
#include <Orvane/render/storages/mesh_storage.h>
#include <Orvane/spatial/transform.h>

#include <TbGpu/command_recorder.h>
#include <TbGpu/device.h>
#include <TbGpu/queue.h>
#include <TbGpu/render_pass_command_recorder.h>

#include <algorithm>
#include <cstring>
#include <span>

namespace Orvane {

namespace {

void stageCopy(TbGpu::CommandRecorder &recorder, StagingBufferPool &pool,
               const TbGpu::Handle<TbGpu::Buffer_t> &destination, uint64_t offset, const void *data, uint64_t size)
{
    if (size == 0)
        return;
    const StagingAllocation staged = pool.stage(data, size);
    recorder.copyBuffer({ staged.buffer, staged.offset, destination, offset, size });
}

// A target of a window without pixels yet (not shown, minimised) still has a one-pixel image: frames keep going
// (acquired swapchain images must be presented) and draw into that pixel until the window has a size. Viewports
// and scissors must not be empty.
uint32_t drawableWidth(const RenderTarget &target)
{
    return std::max(target.surfaceExtent.width, 1u);
}

uint32_t drawableHeight(const RenderTarget &target)
{
    return std::max(target.surfaceExtent.height, 1u);
}

// The scene pass draws with y pointing up on screen.
TbGpu::Viewport flippedViewport(const RenderTarget &target)
{
    const float w = float(drawableWidth(target));
    const float h = float(drawableHeight(target));
    return { 0.0f, h, w, -h, 0.0f, 1.0f };
}

TbGpu::Rect2D fullScissor(const RenderTarget &target)
{
    TbGpu::Rect2D scissor;
    scissor.extent.width = drawableWidth(target);
    scissor.extent.height = drawableHeight(target);
    return scissor;
}

bool usesMaterialResources(const ResourceFormat &format)
{
    for (const ResourceSet &set : format.sets) {
        for (const ResourceBinding &binding : set.bindings) {
            const Render::StandardResourceType type = Render::standardResourceType(binding.block.typeName);
            const bool material =
                    type == Render::StandardResourceType::Material || type == Render::StandardResourceType::None;
            if (material && (binding.type == 1 || binding.type == 6))
                return true;
        }
    }
    return false;
}

} // namespace

// ---- global buffers and uploads -------------------------------------------------------------------------------

void StereoForwardAlgorithm::createGlobalBuffers()
{
    TbGpu::BufferOptions options;
    options.usage = TbGpu::BufferUsageFlagBits::UniformBufferBit | TbGpu::BufferUsageFlagBits::TransferDstBit;
    options.memoryUsage = TbGpu::MemoryUsage::GpuOnly;
    options.size = CameraBlockSize;
    m_cameraBuffer = renderer->device().createBuffer(options);
    options.size = LightsBlockSize;
    m_lightsBuffer = renderer->device().createBuffer(options);
}

void StereoForwardAlgorithm::releaseGlobalBuffers()
{
    Render::DeletionBatch &batch = deleter().currentBatch();
    for (TbGpu::Buffer *buffer : { &m_cameraBuffer, &m_lightsBuffer }) {
        if (buffer->isValid())
            batch.buffers.push_back(std::move(*buffer));
        *buffer = {};
    }
    for (BindGroupMap *groups : { &m_cameraBindGroups, &m_lightsBindGroups }) {
        for (auto &[layout, collection] : *groups)
            Render::retire(collection, deleter());
        groups->clear();
    }
    // Entries bound the old buffers' collections by layout: their pipelines are looked up again, which makes the
    // collections anew.
    for (MeshRendererEntry &entry : m_entries) {
        std::fill(entry.phasePipelines.begin(), entry.phasePipelines.end(), nullptr);
        entry.dirty = true;
    }
}

void StereoForwardAlgorithm::uploadFrameData(TbGpu::CommandRecorder &recorder, uint32_t frameIndex)
{
    StagingBufferPool &pool = *renderer->stagingBufferPool();

    for (MeshRendererEntry &entry : m_entries) {
        if (entry.modelBindGroups.bindGroups.empty() || entry.modelSlot.blockIndex >= m_modelBlocks.blocks().size())
            continue;
        // The preparation of this frame read the world matrix.
        std::memcpy(m_modelBlocks.blocks()[entry.modelSlot.blockIndex].slot(entry.modelSlot.slot), &entry.worldMatrix,
                    ModelMatrixSize);
    }
    for (ModelBlock &block : m_modelBlocks.blocks()) {
        if (block.buffer.isValid())
            stageCopy(recorder, pool, block.buffer.handle(), 0, block.shadow.data(), ModelBlockSize);
    }

    if (m_cameraBuffer.isValid()) {
        const auto camera = cameraBlockBytes(m_leftEye, m_rightEye);
        stageCopy(recorder, pool, m_cameraBuffer.handle(), 0, camera.data(), camera.size());
    }
    if (m_lightsBuffer.isValid()) {
        std::vector<const GpuLight *> lights;
        for (const auto &[light, record] : renderer->lightStorage().records())
            lights.push_back(record.get());
        const auto bytes = lightsBlockBytes(lights);
        stageCopy(recorder, pool, m_lightsBuffer.handle(), 0, bytes.data(), bytes.size());
    }

    // A material's generated bytes go where its bind group of this slot reads them.
    for (const auto &[material, record] : renderer->materialStorage().records()) {
        if (!material->uniformDataGenerator)
            continue;
        for (const MaterialRecord::SetEntry &set : record->bindGroups[frameIndex]) {
            for (const TbGpu::BindGroupEntry &resource : set.resources) {
                const auto *uniform = std::get_if<TbGpu::UniformBufferBinding>(&resource.resource);
                if (!uniform || !uniform->buffer.isValid())
                    continue;
                const std::vector<uint8_t> bytes = material->uniformDataGenerator(set.set, resource.binding);
                const uint64_t size = std::min<uint64_t>(bytes.size(), uniform->size);
                stageCopy(recorder, pool, uniform->buffer, uniform->offset, bytes.data(), size);
            }
        }
    }

    recorder.memoryBarrier(
            { TbGpu::PipelineStageFlagBits::TransferBit,
              TbGpu::PipelineStageFlagBits::AllGraphicsBit | TbGpu::PipelineStageFlagBits::ComputeShaderBit,
              { { TbGpu::AccessFlagBits::TransferReadBit | TbGpu::AccessFlagBits::TransferWriteBit,
                  TbGpu::AccessFlagBits::TransferReadBit | TbGpu::AccessFlagBits::UniformReadBit } } });
}

// ---- the frame ------------------------------------------------------------------------------------------------

TbGpu::Handle<TbGpu::GpuSemaphore_t>
StereoForwardAlgorithm::renderFrame(uint32_t frameIndex,
                                    const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores,
                                    TbGpu::Handle<TbGpu::Fence_t> signalFence)
{
    const Render::FrameClock::time_point start = Render::FrameClock::now();
    TbGpu::Device &device = renderer->device();
    TbGpu::CommandRecorder recorder = device.createCommandRecorder({ renderer->graphicsQueue()->handle() });

    // The previous frame may still read the buffers rewritten below: its reads finish before these writes start.
    recorder.memoryBarrier(
            { TbGpu::PipelineStageFlagBits::AllGraphicsBit | TbGpu::PipelineStageFlagBits::ComputeShaderBit,
              TbGpu::PipelineStageFlagBits::TransferBit,
              { { TbGpu::AccessFlags(), TbGpu::AccessFlagBits::TransferWriteBit } } });
    uploadFrameData(recorder, frameIndex);

    BufferStorage &buffers = renderer->bufferStorage();
    for (const BufferStorage::Entry &mapped : buffers.mappedBuffers())
        BufferStorage::callMapper(mapped, frameIndex);
    StagingBufferPool &pool = *renderer->stagingBufferPool();
    for (const auto &[buffer, record] : buffers.takePendingUploads()) {
        std::vector<uint8_t> data = buffer->data.get();
        if (data.empty() || !record->buffer.isValid())
            continue;
        data.resize(std::min<uint64_t>(data.size(), record->size));
        std::vector<uint64_t> extraOffsets;
        if (buffer->hostVisible.get()) {
            for (uint32_t slot = 1; slot < MaxFramesInFlight; ++slot)
                extraOffsets.push_back(record->size * slot);
        }
        uploadBufferData(recorder, pool, record->buffer.handle(), data, extraOffsets);
    }
    recorder.memoryBarrier(
            { TbGpu::PipelineStageFlagBits::TransferBit,
              TbGpu::PipelineStageFlagBits::VertexInputBit | TbGpu::PipelineStageFlagBits::VertexShaderBit,
              { { TbGpu::AccessFlagBits::TransferWriteBit,
                  TbGpu::AccessFlagBits::IndexReadBit | TbGpu::AccessFlagBits::VertexAttributeReadBit } } });
    recorder.memoryBarrier(
            { TbGpu::PipelineStageFlagBits::TransferBit,
              TbGpu::PipelineStageFlagBits::AllGraphicsBit | TbGpu::PipelineStageFlagBits::ComputeShaderBit,
              { { TbGpu::AccessFlagBits::TransferWriteBit,
                  TbGpu::AccessFlagBits::UniformReadBit | TbGpu::AccessFlagBits::ShaderStorageReadBit } } });

    RenderTargetEntry *scene = targetEntry(sceneTargetIndex.get());
    RenderTargetEntry *present = targetEntry(presentTargetIndex.get());
    const bool composing = effectiveStereoMode() != StereoMode::MultiviewDirect;
    if (scene)
        recordScenePass(recorder, *scene, frameIndex);
    if (composing && present) {
        for (auto &overlayRenderer : m_overlayRenderers)
            overlayRenderer->recordBeforeComposition(recorder, frameIndex);
        recordCompositionPass(recorder, *present, frameIndex);
        for (auto &overlayRenderer : m_overlayRenderers)
            overlayRenderer->recordAfterComposition(recorder, frameIndex);
    }

    m_commandBuffers[frameIndex] = recorder.finish();
    TbGpu::SubmitOptions submit;
    submit.commandBuffers = { m_commandBuffers[frameIndex].handle() };
    submit.waitSemaphores = waitSemaphores;
    submit.signalSemaphores = { renderCompleteSemaphores[frameIndex].handle() };
    submit.signalFence = signalFence;
    renderer->graphicsQueue()->submit(submit);
    m_currentTimings[1] = Render::nanosecondsSince(start);
    return renderCompleteSemaphores[frameIndex].handle();
}

void StereoForwardAlgorithm::recordScenePass(TbGpu::CommandRecorder &recorder, RenderTargetEntry &scene,
                                             uint32_t frameIndex)
{
    const RenderTarget &target = *scene.target;
    const glm::vec4 clear = clearColor.get();
    TbGpu::ColorAttachment colour;
    colour.view = target.imageView(target.currentImageIndex);
    if (scene.multisampleView.isValid()) {
        colour.resolveView = colour.view;
        colour.view = scene.multisampleView.handle();
    }
    colour.clearValue = TbGpu::ColorClearValue{ { clear.r, clear.g, clear.b, clear.a } };
    colour.initialLayout = TbGpu::TextureLayout::Undefined;
    // A swapchain image drawn for presentation as it is goes to the present layout; anything else is sampled next
    // (by the composition pass, or by whoever reads an offscreen target).
    const bool presentedAsDrawn =
            effectiveStereoMode() == StereoMode::MultiviewDirect && target.type == RenderTargetReference::Swapchain;
    colour.finalLayout =
            presentedAsDrawn ? TbGpu::TextureLayout::PresentSrc : TbGpu::TextureLayout::ShaderReadOnlyOptimal;
    TbGpu::RenderPassCommandRecorderOptions options;
    options.colorAttachments = { colour };
    options.depthStencilAttachment.view = scene.depthView.handle();
    options.depthStencilAttachment.depthClearValue = 1.0f;
    // Depth is only needed while the pass draws.
    options.depthStencilAttachment.depthStoreOperation = TbGpu::AttachmentStoreOperation::DontCare;
    options.samples = TbGpu::SampleCountFlagBits(scene.samples);
    options.viewCount = std::max(target.layers, 1u);
    TbGpu::RenderPassCommandRecorder pass = recorder.beginRenderPass(options);

    if (m_entries.empty()) {
        pass.setPipeline(scene.nullPipeline.handle());
        pass.setViewport(flippedViewport(target));
        pass.setScissor(fullScissor(target));
    } else {
        for (std::size_t phase = 0; phase < renderPhases.get().size(); ++phase)
            drawPhase(pass, phase, target, frameIndex);
    }
    pass.end();
}

void StereoForwardAlgorithm::drawPhase(TbGpu::RenderPassCommandRecorder &pass, std::size_t phaseIndex,
                                       const RenderTarget &target, uint32_t frameIndex)
{
    const RenderPhase &phase = renderPhases.get().at(phaseIndex);
    const Render::Pipeline *lastPipeline = nullptr;
    TbGpu::Handle<TbGpu::PipelineLayout_t> lastLayout;
    const Material *lastMaterial = nullptr;

    for (const MeshRendererEntry *entry : phaseDrawOrder(phaseIndex)) {
        if (phase.frustumCulling && !isInsideLeftFrustum(*entry))
            continue;
        const Render::Pipeline *pipeline = entry->phasePipelines.at(phaseIndex);
        const Mesh *mesh = entry->meshRenderer->mesh.get();
        const MeshRecord *meshRecord = mesh ? renderer->meshStorage().find(mesh) : nullptr;
        if (!pipeline || !meshRecord)
            continue;
        const Material *material = entry->meshRenderer->material.get();
        const MaterialRecord *materialRecord = material ? renderer->materialStorage().find(material) : nullptr;
        const bool materialReady = materialRecord && !materialRecord->bindGroups[frameIndex].empty();
        if (!materialReady && material && material->shaderProgram.get() &&
            usesMaterialResources(material->shaderProgram.get()->resourceFormat()))
            continue; // its textures or buffers are not on the GPU yet

        if (pipeline != lastPipeline) {
            pass.setPipeline(pipeline->pipeline.handle());
            pass.setViewport(flippedViewport(target));
            lastPipeline = pipeline;
        }
        for (std::size_t k = 0; k < meshRecord->vertexBuffers.size(); ++k) {
            const auto &offsets = meshRecord->vertexBufferOffsets[frameIndex];
            pass.setVertexBuffer(uint32_t(k), meshRecord->vertexBuffers[k], k < offsets.size() ? offsets[k] : 0);
        }
        if (meshRecord->indexed)
            pass.setIndexBuffer(meshRecord->indexBuffer, meshRecord->indexBufferOffsets[frameIndex],
                                TbGpu::IndexType(meshRecord->indexType));
        if (pipeline->layout != lastLayout) {
            for (const BindGroupMap *groups : { &m_cameraBindGroups, &m_lightsBindGroups }) {
                const Render::BindGroupCollection &collection = groups->at(pipeline->layout);
                if (collection.bindGroups.size() == MaxFramesInFlight)
                    pass.setBindGroup(collection.set, collection.bindGroups[frameIndex].handle(), pipeline->layout);
            }
            lastLayout = pipeline->layout;
            lastMaterial = nullptr; // a new layout disturbs the sets bound before
        }
        if (material != lastMaterial && materialRecord) {
            for (const MaterialRecord::SetEntry &set : materialRecord->bindGroups[frameIndex])
                pass.setBindGroup(set.set, set.bindGroup.handle(), pipeline->layout);
            lastMaterial = material;
        }
        if (entry->modelBindGroups.bindGroups.size() == MaxFramesInFlight) {
            const uint32_t offset = uint32_t(entry->modelSlot.slot * m_modelBlocks.stride());
            pass.setBindGroup(entry->modelBindGroups.set, entry->modelBindGroups.bindGroups[frameIndex].handle(),
                              pipeline->layout, { offset });
        }

        MeshRenderer::DrawCommand whole;
        whole.count = meshRecord->indexed ? meshRecord->indexCount : meshRecord->vertexCount;
        const std::vector<MeshRenderer::DrawCommand> &given = entry->meshRenderer->drawCommands.get();
        for (const MeshRenderer::DrawCommand &command : given.empty() ? std::span(&whole, 1) : std::span(given)) {
            TbGpu::Rect2D scissor = fullScissor(target);
            const auto &[x, y, width, height] = command.algorithmData;
            if (width != 0 && height != 0) {
                scissor.offset = { int32_t(x), int32_t(y) };
                scissor.extent.width = width;
                scissor.extent.height = height;
            }
            pass.setScissor(scissor);
            if (meshRecord->indexed)
                pass.drawIndexed({ command.count, command.instanceCount, command.first, command.vertexOffset,
                                   command.firstInstance });
            else
                pass.draw({ command.count, command.instanceCount, command.first, command.firstInstance });
        }
    }
}

void StereoForwardAlgorithm::recordCompositionPass(TbGpu::CommandRecorder &recorder, RenderTargetEntry &present,
                                                   uint32_t frameIndex)
{
    // The composition draws full-screen quads of an image already resolved: multisampling and depth would add
    // nothing but their cost, so it draws single-sampled into the target's image.
    const RenderTarget &target = *present.target;
    const glm::vec4 clear = clearColor.get();
    TbGpu::ColorAttachment colour;
    colour.view = target.imageView(target.currentImageIndex);
    colour.clearValue = TbGpu::ColorClearValue{ { clear.r, clear.g, clear.b, clear.a } };
    colour.initialLayout = TbGpu::TextureLayout::Undefined;
    colour.finalLayout = target.type == RenderTargetReference::Swapchain ? TbGpu::TextureLayout::PresentSrc
                                                                         : TbGpu::TextureLayout::ShaderReadOnlyOptimal;
    TbGpu::RenderPassCommandRecorderOptions options;
    options.colorAttachments = { colour };
    options.viewCount = 1;
    TbGpu::RenderPassCommandRecorder pass = recorder.beginRenderPass(options);
    recordComposition(pass, target, frameIndex);

    const uint32_t w = drawableWidth(target);
    const uint32_t h = drawableHeight(target);
    pass.setViewport({ 0.0f, 0.0f, float(w), float(h), 0.0f, 1.0f });
    pass.setScissor(fullScissor(target));
    const Render::FrameClock::time_point overlaysStart = Render::FrameClock::now();
    for (auto &overlayRenderer : m_overlayRenderers)
        overlayRenderer->recordInComposition(pass, frameIndex);
    m_currentTimings[3] = Render::nanosecondsSince(overlaysStart);
    pass.end();
}

void StereoForwardAlgorithm::recordComposition(TbGpu::RenderPassCommandRecorder &pass, const RenderTarget &present,
                                               uint32_t frameIndex)
{
    if (frameIndex >= m_compositionBindGroups.size() || !m_sideBySidePipeline.isValid())
        return;
    const uint32_t w = drawableWidth(present);
    const uint32_t h = drawableHeight(present);
    const TbGpu::Handle<TbGpu::PipelineLayout_t> layout = m_compositionPipelineLayout.handle();
    const TbGpu::PushConstantRange pushRange{ 0, 4, TbGpu::ShaderStageFlagBits::FragmentBit };
    // With the eyes swapped (for cross-eyed viewing), each place shows the other eye.
    const int32_t left = swapEyes.get() ? 1 : 0;
    const int32_t right = 1 - left;
    pass.setScissor(fullScissor(present));
    auto showLayer = [&](float x, float y, float width, float height, int32_t layer) {
        pass.setViewport({ x, y, std::max(width, 1.0f), std::max(height, 1.0f), 0.0f, 1.0f });
        pass.pushConstant(pushRange, &layer);
        pass.draw({ 6, 1, 0, 0 });
    };
    auto anaglyph = [&](int32_t flags) {
        pass.setPipeline(m_anaglyphPipeline.handle());
        pass.setBindGroup(0, m_compositionBindGroups[frameIndex].handle(), layout);
        pass.setViewport({ 0.0f, 0.0f, float(w), float(h), 0.0f, 1.0f });
        pass.pushConstant(pushRange, &flags);
        pass.draw({ 6, 1, 0, 0 });
    };
    const StereoMode mode = effectiveStereoMode();
    if (mode == StereoMode::Anaglyph || mode == StereoMode::AnaglyphLeastSquares) {
        // Bit 0: the least-squares colour matrices; bit 1: the eyes swapped.
        anaglyph((mode == StereoMode::AnaglyphLeastSquares ? 1 : 0) | (swapEyes.get() ? 2 : 0));
        return;
    }
    pass.setPipeline(m_sideBySidePipeline.handle());
    pass.setBindGroup(0, m_compositionBindGroups[frameIndex].handle(), layout);
    switch (mode) {
    case StereoMode::SideBySide:
        showLayer(0.0f, 0.0f, float(w / 2), float(h), left);
        showLayer(float(w / 2), 0.0f, float(w / 2), float(h), right);
        break;
    case StereoMode::TopBottom:
        showLayer(0.0f, 0.0f, float(w), float(h / 2), left);
        showLayer(0.0f, float(h / 2), float(w), float(h / 2), right);
        break;
    case StereoMode::LeftEyeOnly:
        showLayer(0.0f, 0.0f, float(w), float(h), 0);
        break;
    case StereoMode::RightEyeOnly:
        showLayer(0.0f, 0.0f, float(w), float(h), 1);
        break;
    default:
        break; // other values: the overlays only
    }
}

} // namespace Orvane
