#include <Orvane/render/stereo_forward_algorithm.h>

#include "frame_clock.h"

#include "stereo_pipelines.h"

#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/camera/stereo_camera.h>
#include <Orvane/core/entity.h>
#include <Orvane/render/offscreen_render_area_manager.h>
#include <Orvane/render/render_states.h>
#include <Orvane/render/render_target.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/storages/default_material_storage.h>
#include <Orvane/render/storages/gpu_transfers.h>
#include <Orvane/render/storages/light_storage.h>
#include <Orvane/render/storages/mesh_storage.h>
#include <Orvane/render/storages/shader_program_storage.h>
#include <Orvane/render/swapchain_manager.h>
#include <Orvane/spatial/transform.h>

#include <TbGpu/adapter.h>
#include <TbGpu/device.h>

#include <spdlog/spdlog.h>

#include <algorithm>
#include <bitset>

namespace Orvane {

bool StereoForwardAlgorithm::selects(const RenderPhase &phase, uint32_t entityMask)
{
    const uint32_t common = phase.layerMask & entityMask;
    switch (phase.layerFilter) {
    case LayerFilter::AllBits:
        return common == phase.layerMask;
    case LayerFilter::AnyBit:
        return common != 0;
    case LayerFilter::NoBit:
        return common == 0;
    case LayerFilter::NotAllBits:
        return common != phase.layerMask;
    }
    return false;
}

StereoForwardAlgorithm::RenderPhase StereoForwardAlgorithm::defaultPhase()
{
    RenderPhase phase;
    DepthStencilState depth;
    depth.depthTestEnabled = true;
    depth.depthWritesEnabled = true;
    depth.depthCompareOperation = TbGpu::CompareOperation::Less;
    phase.renderStates.setState(depth);
    return phase;
}

StereoForwardAlgorithm::StereoForwardAlgorithm()
{
    setObjectName("Forward Renderer");
    auto requestRebuild = [this](const auto &) { m_rebuildNeeded = true; };
    m_propertyConnections.push_back(renderPhases.valueChanged().connect(requestRebuild));
    m_propertyConnections.push_back(overlays.valueChanged().connect(requestRebuild));
    m_propertyConnections.push_back(sceneTargetIndex.valueChanged().connect(requestRebuild));
    m_propertyConnections.push_back(presentTargetIndex.valueChanged().connect(requestRebuild));
}

StereoForwardAlgorithm::~StereoForwardAlgorithm()
{
    for (TbBindings::ConnectionHandle &connection : m_propertyConnections)
        connection.disconnect();
}

Render::ResourceDeleter &StereoForwardAlgorithm::deleter() const
{
    return *renderer->resourceDeleter();
}

void StereoForwardAlgorithm::warnOnce(const std::string &message)
{
    if (std::find(m_warnings.begin(), m_warnings.end(), message) != m_warnings.end())
        return;
    m_warnings.push_back(message);
    SPDLOG_LOGGER_WARN(m_logger, "{}", message);
}

// ---- installation and release ---------------------------------------------------------------------------------

void StereoForwardAlgorithm::initializeResources()
{
    m_clearColorConnection = clearColor.valueChanged().connect([this](const glm::vec4 &) {
        if (renderer)
            renderer->markFramesDirty();
    });
    const uint64_t alignment = renderer->device().adapter()->properties().limits.minUniformBufferOffsetAlignment;
    if (m_modelBlocks.blocks().empty())
        m_modelBlocks = ModelBlockList(modelSlotStride(alignment));
}

void StereoForwardAlgorithm::releaseResources()
{
    releaseOverlayRenderers();
    m_clearColorConnection.disconnect();
    for (ModelBlock &block : m_modelBlocks.blocks()) {
        if (block.buffer.isValid())
            deleter().currentBatch().buffers.push_back(std::move(block.buffer));
    }
    m_modelBlocks.clear();
    for (MeshRendererEntry &entry : m_entries) {
        Render::retire(entry.modelBindGroups, deleter());
        std::fill(entry.phasePipelines.begin(), entry.phasePipelines.end(), nullptr);
        entry.dirty = true;
    }
    releaseGlobalBuffers();
    cleanupPipelines();
    releaseCompositionResources();
    m_rebuildNeeded = true;
}

void StereoForwardAlgorithm::releaseOverlayRenderers()
{
    for (std::unique_ptr<OverlayRenderer> &overlayRenderer : m_overlayRenderers)
        overlayRenderer->release();
    m_overlayRenderers.clear();
}

// ---- render targets -------------------------------------------------------------------------------------------

void StereoForwardAlgorithm::renderTargetCreated(RenderTarget *target)
{
    RenderTargetEntry entry;
    entry.target = target;
    entry.device = &renderer->device();
    entry.samples = uint32_t(samples.get());
    const uint32_t width = std::max(target->surfaceExtent.width, 1u);
    const uint32_t height = std::max(target->surfaceExtent.height, 1u);
    const uint32_t layers = std::max(target->layers, 1u);
    auto makeTexture = [&](TbGpu::Format format, TbGpu::TextureUsageFlags usage, TbGpu::Texture &texture,
                           TbGpu::TextureView &view) {
        TbGpu::TextureOptions options;
        options.format = format;
        options.extent = { width, height, 1 };
        options.arrayLayers = layers;
        options.samples = TbGpu::SampleCountFlagBits(entry.samples);
        options.usage = usage;
        options.memoryUsage = TbGpu::MemoryUsage::GpuOnly;
        texture = entry.device->createTexture(options);
        TbGpu::TextureViewOptions viewOptions;
        viewOptions.viewType = layers == 1 ? TbGpu::ViewType::ViewType2D : TbGpu::ViewType::ViewType2DArray;
        viewOptions.range = { 0, 0, 1, 0, layers };
        view = texture.createView(viewOptions);
    };
    makeTexture(target->depthFormat(), TbGpu::TextureUsageFlagBits::DepthStencilAttachmentBit, entry.depthTexture,
                entry.depthView);
    if (entry.samples > 1) {
        makeTexture(target->colorFormat(),
                    TbGpu::TextureUsageFlagBits::ColorAttachmentBit | TbGpu::TextureUsageFlagBits::SampledBit,
                    entry.multisampleTexture, entry.multisampleView);
    }
    Render::StereoPipelineTarget pipelineTarget{ target->colorFormat(), target->depthFormat(), entry.samples, layers };
    entry.nullPipelineLayout = entry.device->createPipelineLayout();
    entry.nullPipeline = Render::createNullPipeline(*entry.device, entry.nullPipelineLayout.handle(), pipelineTarget);
    m_targetEntries.push_back(std::move(entry));
}

void StereoForwardAlgorithm::renderTargetAboutToBeDestroyed(RenderTarget *target)
{
    const auto it = std::find_if(m_targetEntries.begin(), m_targetEntries.end(),
                                 [target](const RenderTargetEntry &entry) { return entry.target == target; });
    if (it == m_targetEntries.end())
        return;
    // A frame in flight may still draw with them: they go when it has completed.
    Render::DeletionBatch &batch = deleter().currentBatch();
    batch.graphicsPipelines.push_back(std::move(it->nullPipeline));
    batch.pipelineLayouts.push_back(std::move(it->nullPipelineLayout));
    for (TbGpu::TextureView *view : { &it->depthView, &it->multisampleView }) {
        if (view->isValid())
            batch.textureViews.push_back(std::move(*view));
    }
    for (TbGpu::Texture *texture : { &it->depthTexture, &it->multisampleTexture }) {
        if (texture->isValid())
            batch.textures.push_back(std::move(*texture));
    }
    m_targetEntries.erase(it);
}

StereoForwardAlgorithm::RenderTargetEntry *StereoForwardAlgorithm::targetEntry(uint64_t index)
{
    for (RenderTargetEntry &entry : m_targetEntries) {
        if (entry.target && entry.target->index == index)
            return &entry;
    }
    return nullptr;
}

StereoForwardAlgorithm::StereoMode StereoForwardAlgorithm::effectiveStereoMode() const
{
    const StereoMode requested = stereoMode.get();
    if (sceneTargetIndex.get() == presentTargetIndex.get())
        return StereoMode::MultiviewDirect;
    if (requested == StereoMode::MultiviewDirect)
        return StereoMode::Anaglyph;
    return requested;
}

bool StereoForwardAlgorithm::canRender(uint32_t)
{
    if (!targetEntry(sceneTargetIndex.get())) {
        warnOnce(fmt::format("The scene target index {} names no render target: nothing is drawn",
                             sceneTargetIndex.get()));
        return false;
    }
    if (!targetEntry(presentTargetIndex.get())) {
        warnOnce(fmt::format("The present target index {} names no render target: nothing is drawn",
                             presentTargetIndex.get()));
        return false;
    }
    return true;
}

// ---- mesh renderers -------------------------------------------------------------------------------------------

void StereoForwardAlgorithm::computeMembership(MeshRendererEntry &entry) const
{
    const std::vector<RenderPhase> &phases = renderPhases.get();
    entry.phasePipelines.assign(phases.size(), nullptr);
    std::bitset<32> membership;
    if (const Entity *entity = entry.meshRenderer->entity.get()) {
        for (std::size_t i = 0; i < phases.size(); ++i)
            membership.set(i, selects(phases[i], entity->layerMask.get())); // throws beyond 32 phases
    }
    entry.phaseMembership = uint32_t(membership.to_ulong());
    entry.dirty = true;
}

void StereoForwardAlgorithm::meshRendererAdded(MeshRenderer *meshRenderer)
{
    MeshRendererEntry entry;
    entry.meshRenderer = meshRenderer;
    computeMembership(entry);
    entry.boundingSphere = meshRenderer->localBoundingSphere();
    entry.modelSlot = m_modelBlocks.allocate();
    m_entries.push_back(std::move(entry));
}

void StereoForwardAlgorithm::meshRendererChanged(MeshRenderer *meshRenderer)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [meshRenderer](const MeshRendererEntry &entry) {
        return entry.meshRenderer == meshRenderer;
    });
    if (it == m_entries.end())
        return;
    computeMembership(*it);
    it->boundingSphere = meshRenderer->localBoundingSphere();
}

void StereoForwardAlgorithm::meshRendererRemoved(MeshRenderer *meshRenderer)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [meshRenderer](const MeshRendererEntry &entry) {
        return entry.meshRenderer == meshRenderer;
    });
    if (it == m_entries.end())
        return;
    m_modelBlocks.release(it->modelSlot);
    if (renderer)
        Render::retire(it->modelBindGroups, deleter());
    m_entries.erase(it);
}

// ---- frame preparation ----------------------------------------------------------------------------------------

void StereoForwardAlgorithm::rebuild()
{
    m_rebuildNeeded = false;
    releaseOverlayRenderers();
    releaseGlobalBuffers();
    createGlobalBuffers();
    RenderTargetEntry *present = targetEntry(presentTargetIndex.get());
    for (AbstractOverlay *overlay : overlays.get()) {
        if (!overlay)
            continue;
        std::unique_ptr<OverlayRenderer> overlayRenderer = overlay->createRenderer(renderer);
        overlayRenderer->initialize(samples.get(), 0);
        overlayRenderer->prepare(present ? present->target : nullptr);
        m_overlayRenderers.push_back(std::move(overlayRenderer));
    }
    for (MeshRendererEntry &entry : m_entries)
        computeMembership(entry);
}

void StereoForwardAlgorithm::maintainModelBlocks()
{
    const std::vector<uint64_t> newIndex = m_modelBlocks.removeEmptyBlocks(deleter());
    if (!newIndex.empty()) {
        for (MeshRendererEntry &entry : m_entries)
            entry.modelSlot.blockIndex = newIndex.at(entry.modelSlot.blockIndex);
    }
    for (ModelBlock &block : m_modelBlocks.blocks()) {
        if (block.buffer.isValid())
            continue;
        TbGpu::BufferOptions options;
        options.size = ModelBlockSize;
        options.usage = TbGpu::BufferUsageFlagBits::UniformBufferBit | TbGpu::BufferUsageFlagBits::TransferDstBit;
        options.memoryUsage = TbGpu::MemoryUsage::GpuOnly;
        block.buffer = Render::createBufferWithData(renderer->device(), *renderer->graphicsQueue(), options,
                                                    std::vector<uint8_t>(ModelBlockSize, 0));
    }
}

void StereoForwardAlgorithm::updateEntries(uint32_t)
{
    maintainModelBlocks();
    RenderTargetEntry *scene = targetEntry(sceneTargetIndex.get());
    for (MeshRendererEntry &entry : m_entries) {
        entry.worldMatrix = worldMatrixOf(entry.meshRenderer->entity.get());
        if (!entry.dirty) {
            for (Render::Pipeline *pipeline : entry.phasePipelines) {
                if (pipeline)
                    pipeline->framesToLive = Render::Pipeline::FramesToLive;
            }
            continue;
        }
        Mesh *mesh = entry.meshRenderer->mesh.get();
        if (!mesh || !renderer->meshStorage().find(mesh))
            continue; // retried next frame, once the mesh is on the GPU
        if (!scene)
            continue;
        updateEntryPipelines(entry, *scene);
    }
}

void StereoForwardAlgorithm::updateEntryPipelines(MeshRendererEntry &entry, RenderTargetEntry &scene)
{
    Material *material = entry.meshRenderer->material.get();
    ShaderProgram *program = material ? material->shaderProgram.get() : nullptr;
    if (!program) {
        entry.dirty = false;
        return;
    }
    const ShaderProgramRecord *programRecord = renderer->shaderProgramStorage().find(program);
    if (!programRecord)
        return; // the program reaches the GPU with the next scene sync
    const RenderTarget &target = *scene.target;
    const std::vector<RenderPhase> &phases = renderPhases.get();
    bool bindGroupsRebuilt = false;
    bool complete = true;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        if (!(entry.phaseMembership & (1u << i)))
            continue;
        RenderStateSet states = phases[i].renderStates;
        if (const ColorBlendState *blend = states.state<ColorBlendState>()) {
            ColorBlendState filled = *blend;
            for (ColorBlendAttachmentState &attachment : filled.attachments) {
                if (attachment.format == TbGpu::Format::UNDEFINED)
                    attachment.format = target.colorFormat();
            }
            states.setState(filled);
        } else {
            ColorBlendState blendState;
            ColorBlendAttachmentState attachment;
            attachment.format = target.colorFormat();
            blendState.attachments.push_back(attachment);
            states.setState(blendState);
        }
        DepthStencilState depth =
                states.state<DepthStencilState>() ? *states.state<DepthStencilState>() : DepthStencilState{};
        depth.format = target.depthFormat();
        states.setState(depth);

        Render::Pipeline *pipeline =
                this->pipeline(&entry.meshRenderer->mesh.get()->vertexFormat.get(), program, &states, target.layers);
        if (!pipeline) {
            complete = false;
            continue;
        }
        if (pipeline == entry.phasePipelines[i])
            continue;
        entry.phasePipelines[i] = pipeline;
        if (!bindGroupsRebuilt) {
            bindGroupsRebuilt = true;
            Render::retire(entry.modelBindGroups, deleter());
            const ModelBlock &block = m_modelBlocks.blocks().at(entry.modelSlot.blockIndex);
            createBindGroups(entry.modelBindGroups, material, programRecord->resourceFormat,
                             Render::StandardResourceType::Entity, block.buffer.handle());
        }
        if (!m_cameraBindGroups.contains(pipeline->layout)) {
            Render::BindGroupCollection collection;
            createBindGroups(collection, material, programRecord->resourceFormat, Render::StandardResourceType::Camera,
                             m_cameraBuffer.handle());
            m_cameraBindGroups.emplace(pipeline->layout, std::move(collection));
        }
        if (!m_lightsBindGroups.contains(pipeline->layout)) {
            Render::BindGroupCollection collection;
            createBindGroups(collection, material, programRecord->resourceFormat, Render::StandardResourceType::Lights,
                             m_lightsBuffer.handle());
            m_lightsBindGroups.emplace(pipeline->layout, std::move(collection));
        }
    }
    entry.dirty = !complete;
}

void StereoForwardAlgorithm::createMissingMaterialBindGroups()
{
    for (const auto &[material, record] : renderer->materialStorage().records()) {
        if (!record->bindGroups[0].empty() || !material->shaderProgram.get())
            continue;
        const ShaderProgramRecord *program = renderer->shaderProgramStorage().find(material->shaderProgram.get());
        if (program)
            createMaterialBindGroups(material, program->resourceFormat);
    }
}

void StereoForwardAlgorithm::updateLightPositions()
{
    for (const auto &[light, record] : renderer->lightStorage().records()) {
        const glm::vec4 origin = worldMatrixOf(light->entity.get()) * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
        record->worldPosition = glm::vec3(origin);
    }
}

void StereoForwardAlgorithm::prepareFrameData(uint32_t frameIndex)
{
    m_currentTimings = {};
    const Render::FrameClock::time_point start = Render::FrameClock::now();

    if (m_rebuildNeeded)
        rebuild();
    updateEntries(frameIndex);
    createMissingMaterialBindGroups();

    RenderTargetEntry *present = targetEntry(presentTargetIndex.get());
    for (std::unique_ptr<OverlayRenderer> &overlayRenderer : m_overlayRenderers) {
        if (present && overlayRenderer->renderTarget() != present->target) {
            overlayRenderer->releaseRenderTargetResources(overlayRenderer->renderTarget());
            overlayRenderer->prepare(present->target);
        }
    }

    RenderTargetEntry *scene = targetEntry(sceneTargetIndex.get());
    const bool composing = effectiveStereoMode() != StereoMode::MultiviewDirect;
    if (composing && present && scene) {
        const bool stale = m_compositionFormat != present->target->colorFormat();
        if (!m_compositionPipelineLayout.isValid() || stale)
            createCompositionResources(*present);
    }

    if (StereoCamera *stereoCamera = camera.get(); stereoCamera && scene) {
        m_leftEye = computeEyeData(*stereoCamera, *scene->target, stereoCamera->leftEyeViewMatrix.get());
        m_rightEye = computeEyeData(*stereoCamera, *scene->target, stereoCamera->rightEyeViewMatrix.get());
    }

    if (composing && scene) {
        const bool stale = m_compositionBindGroups.empty() || frameIndex >= m_compositionSourceViews.size() ||
                m_compositionSourceViews[frameIndex] != scene->target->imageView(frameIndex);
        if (stale)
            rebuildCompositionBindGroups(*scene);
    }

    updateLightPositions();
    renderer->markFramesDirty();
    m_currentTimings[0] = Render::nanosecondsSince(start);
}

void StereoForwardAlgorithm::postRender(uint32_t)
{
    cleanupUnusedPipelines();
    m_timingsRing[m_timingsPosition] = m_currentTimings;
    m_timingsPosition = (m_timingsPosition + 1) % TimingsRingSize;
    FrameTimings average{};
    for (const FrameTimings &record : m_timingsRing) {
        for (std::size_t i = 0; i < average.size(); ++i)
            average[i] += record[i];
    }
    for (uint64_t &value : average)
        value /= TimingsRingSize;
    frameTimings = average;
}

// ---- ordering and culling -------------------------------------------------------------------------------------

std::vector<const StereoForwardAlgorithm::MeshRendererEntry *>
StereoForwardAlgorithm::phaseDrawOrder(std::size_t phaseIndex) const
{
    std::vector<const MeshRendererEntry *> collected;
    for (const MeshRendererEntry &entry : m_entries) {
        if (phaseIndex < 32 && (entry.phaseMembership & (1u << phaseIndex)))
            collected.push_back(&entry);
    }
    switch (renderPhases.get().at(phaseIndex).sortMode) {
    case SortMode::SortByMaterial:
        // Grouped by mesh and, within a mesh, by material: binds repeat least.
        std::sort(collected.begin(), collected.end(), [](const MeshRendererEntry *a, const MeshRendererEntry *b) {
            return std::less<const Material *>()(a->meshRenderer->material.get(), b->meshRenderer->material.get());
        });
        std::stable_sort(collected.begin(), collected.end(),
                         [](const MeshRendererEntry *a, const MeshRendererEntry *b) {
                             return std::less<const Mesh *>()(a->meshRenderer->mesh.get(), b->meshRenderer->mesh.get());
                         });
        break;
    case SortMode::SortBackToFront: {
        const glm::vec3 eyePosition(m_leftEye.position);
        const glm::vec3 direction(m_leftEye.viewDirection);
        auto depth = [&](const MeshRendererEntry *entry) {
            const glm::vec3 centre(entry->worldMatrix * glm::vec4(entry->boundingSphere.center, 1.0f));
            return glm::dot(centre - eyePosition, direction);
        };
        std::sort(collected.begin(), collected.end(),
                  [&](const MeshRendererEntry *a, const MeshRendererEntry *b) { return depth(a) > depth(b); });
        break;
    }
    case SortMode::NoSort:
        break;
    }
    return collected;
}

bool StereoForwardAlgorithm::isInsideLeftFrustum(const MeshRendererEntry &entry) const
{
    const glm::mat4 &w = entry.worldMatrix;
    const glm::vec3 c = entry.boundingSphere.center;
    const float r = entry.boundingSphere.radius;
    const glm::vec3 centre(w * glm::vec4(c, 1.0f));
    float radius = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        glm::vec3 e(0.0f);
        e[axis] = 1.0f;
        radius = std::max(radius, glm::length(glm::vec3(w * glm::vec4(c + r * e, 1.0f)) - centre));
    }
    for (const glm::vec4 &plane : m_leftEye.frustumPlanes) {
        if (-radius > glm::dot(glm::vec3(plane), centre) + plane.w)
            return false;
    }
    return true;
}

} // namespace Orvane
