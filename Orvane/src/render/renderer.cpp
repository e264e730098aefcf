#include <Orvane/render/renderer.h>

#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/core/task_executor.h>
#include <Orvane/render/offscreen_render_area_manager.h>
#include <Orvane/render/offscreen_render_target.h>
#include <Orvane/render/render_algorithm.h>
#include <Orvane/render/render_aspect.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/staging_buffer_pool.h>
#include <Orvane/render/storages/buffer_storage.h>
#include <Orvane/render/storages/default_material_storage.h>
#include <Orvane/render/storages/light_storage.h>
#include <Orvane/render/storages/mesh_storage.h>
#include <Orvane/render/storages/shader_program_storage.h>
#include <Orvane/render/storages/texture_storage.h>
#include <Orvane/render/swapchain_manager.h>
#include <Orvane/render/swapchain_render_target.h>
#include <Orvane/render/thread_resource_registry.h>

#include <TbFoundation/logging.h>

#include <algorithm>
#include <stdexcept>

namespace Orvane {

namespace {

template<typename T>
bool contains(const std::vector<T *> &list, const T *item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

template<typename T>
bool eraseFrom(std::vector<T *> &list, const T *item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace

Renderer::Renderer(RenderAspect *aspect, TbGpu::Device &&device, TaskExecutor *executor)
    : m_aspect(aspect)
    , m_device(std::move(device))
{
    pickQueues();
    m_threadResources = std::make_unique<ThreadResourceRegistry>(&m_device, executor);
    m_bufferStorage = std::make_unique<BufferStorage>(this);
    m_meshStorage = std::make_unique<MeshStorage>(this);
    m_textureStorage = std::make_unique<TextureStorage>(this);
    m_shaderProgramStorage = std::make_unique<ShaderProgramStorage>(this);
    m_materialStorage = std::make_unique<DefaultMaterialStorage>(this);
    m_lightStorage = std::make_unique<LightStorage>(this);
    m_swapchainManager = std::make_unique<SwapchainManager>(&m_device);
    m_logger = TbFoundation::getOrCreateLogger("renderer", spdlog::level::debug);
    setObjectName("Orvane Vulkan Renderer");
    m_commandsDirty.fill(true);
}

Renderer::~Renderer()
{
    if (m_initialized)
        m_device.waitUntilIdle();
    setRenderAlgorithm(nullptr).reset();
    emptyStorages();
    m_entities.clear();
    m_meshRenderers.clear();
    m_activeMeshRenderers.clear();
    // Targets of algorithms that were taken out elsewhere go before the objects they retire into.
    m_offscreenManager.reset();
    m_swapchainManager.reset();
    m_threadResources->releaseAll();
    m_threadResources.reset();
    for (TbGpu::Fence &fence : m_frameFences)
        fence = {};
    m_blankFrameCommands = {};
    m_blankFrameSemaphores = {};
    m_device = {};
}

void Renderer::pickQueues()
{
    std::vector<TbGpu::Queue> &queues = m_device.queues();
    for (TbGpu::Queue &queue : queues) {
        if (!queue.flags().testFlag(TbGpu::QueueFlagBits::GraphicsBit))
            continue;
        if (!m_graphicsQueue)
            m_graphicsQueue = &queue;
        else if (!m_secondaryQueue && !(queue.handle() == m_graphicsQueue->handle()))
            m_secondaryQueue = &queue;
    }
    m_presentQueue = m_graphicsQueue;
}

bool Renderer::createSyncObjects()
{
    for (TbGpu::Fence &fence : m_frameFences)
        fence = m_device.createFence({ true });
    for (TbGpu::GpuSemaphore &semaphore : m_blankFrameSemaphores)
        semaphore = m_device.createGpuSemaphore();
    for (const TbGpu::Fence &fence : m_frameFences) {
        if (!fence.isValid()) {
            SPDLOG_LOGGER_CRITICAL(m_logger, "Failed to create sync fence primitives for a frame! Aborting.");
            throw std::runtime_error("Failed to create sync fence objects for a frame!");
        }
    }
    // A thread that already retired objects (scene changes before the first frame) keeps its deleter.
    if (!m_threadResources->resourceDeleter())
        m_threadResources->registerCurrentThread();
    m_offscreenManager = std::make_unique<OffscreenRenderAreaManager>(&m_device, resourceDeleter());
    m_initialized = true;
    return true;
}

Render::ResourceDeleter *Renderer::resourceDeleter() const
{
    // A thread that retires objects before it rendered a frame is registered on first use.
    if (!m_threadResources->resourceDeleter())
        m_threadResources->registerCurrentThread();
    return m_threadResources->resourceDeleter();
}

StagingBufferPool *Renderer::stagingBufferPool() const
{
    if (!m_threadResources->stagingBufferPool())
        m_threadResources->registerCurrentThread();
    return m_threadResources->stagingBufferPool();
}

bool Renderer::isEngineRunning() const
{
    return m_aspect && m_aspect->engine() && m_aspect->engine()->running.get();
}

// ---- algorithm installation -----------------------------------------------------------------------------------

std::unique_ptr<RenderAlgorithm> Renderer::setRenderAlgorithm(std::unique_ptr<RenderAlgorithm> algorithm)
{
    if (m_renderAlgorithm) {
        // Its targets, semaphores and resources go at once: no submitted frame may still use them.
        if (m_initialized)
            m_device.waitUntilIdle();
        RenderAlgorithm &old = *m_renderAlgorithm;
        Entity *root = m_aspect && m_aspect->engine() ? m_aspect->engine()->rootEntity() : nullptr;
        old.rootEntityAboutToChange(root, nullptr);
        removeRenderTargets(old);
        reportActiveMeshRenderersRemoved();
        old.teardown();
        old.renderer = nullptr;
        disconnectManagerSignals();
        // The old algorithm's semaphore is gone: the next frame has nothing of it to wait for.
        m_renderCompleteSemaphore = {};
    }
    std::unique_ptr<RenderAlgorithm> previous = std::exchange(m_renderAlgorithm, std::move(algorithm));
    if (!m_renderAlgorithm)
        return previous;

    RenderAlgorithm &current = *m_renderAlgorithm;
    current.renderer = this;
    if (!m_initialized)
        createSyncObjects();
    createRenderTargets(current);
    if (m_aspect && m_aspect->engine() && m_aspect->engine()->rootEntity())
        current.rootEntityChanged(nullptr, m_aspect->engine()->rootEntity());
    current.initialize();
    connectManagerSignals();
    for (std::size_t i = 0; i < current.renderTargetRefs.get().size(); ++i) {
        const RenderTargetReference &reference = current.renderTargetRefs.get()[i];
        RenderTarget *target = reference.type == RenderTargetReference::Offscreen
                ? static_cast<RenderTarget *>(m_offscreenManager->find(uint32_t(i)))
                : static_cast<RenderTarget *>(m_swapchainManager->find(reference.surface));
        if (target)
            current.renderTargetCreated(target);
    }
    m_commandsDirty.fill(true);
    return previous;
}

void Renderer::removeRenderTargets(RenderAlgorithm &algorithm)
{
    const std::vector<RenderTargetReference> &references = algorithm.renderTargetRefs.get();
    for (std::size_t i = 0; i < references.size(); ++i) {
        if (references[i].type == RenderTargetReference::Offscreen) {
            if (OffscreenRenderTarget *target = m_offscreenManager->find(uint32_t(i)))
                m_offscreenManager->remove(target);
        } else if (SwapchainRenderTarget *target = m_swapchainManager->find(references[i].surface)) {
            m_swapchainManager->remove(target);
        }
    }
}

void Renderer::createRenderTargets(RenderAlgorithm &algorithm)
{
    const std::vector<RenderTargetReference> &references = algorithm.renderTargetRefs.get();
    for (std::size_t i = 0; i < references.size(); ++i) {
        const RenderTargetReference &reference = references[i];
        const uint32_t width = reference.extentWatcher ? reference.extentWatcher->width() : 0;
        const uint32_t height = reference.extentWatcher ? reference.extentWatcher->height() : 0;
        const float scale = reference.extentWatcher ? reference.extentWatcher->scaleFactor() : 1.0f;
        if (reference.type == RenderTargetReference::Offscreen) {
            m_offscreenManager->create(uint32_t(i), width, height, scale, reference.layers);
            continue;
        }
        if (std::find(m_knownSurfaces.begin(), m_knownSurfaces.end(), reference.surface) == m_knownSurfaces.end())
            m_knownSurfaces.push_back(reference.surface);
        SwapchainRenderTarget *target =
                m_swapchainManager->createSwapchain(reference.surface, width, height, scale, reference.layers);
        target->index = uint32_t(i);
    }
}

void Renderer::connectManagerSignals()
{
    auto targetCreated = [this](RenderTarget *target) {
        if (m_renderAlgorithm)
            m_renderAlgorithm->renderTargetCreated(target);
        m_commandsDirty.fill(true);
    };
    auto targetGoing = [this](RenderTarget *target) {
        if (m_renderAlgorithm)
            m_renderAlgorithm->renderTargetAboutToBeDestroyed(target);
    };
    m_managerConnections.push_back(m_swapchainManager->renderTargetAboutToBeDestroyed.connect(targetGoing));
    m_managerConnections.push_back(m_swapchainManager->renderTargetCreated.connect(targetCreated));
    m_managerConnections.push_back(m_offscreenManager->renderTargetAboutToBeDestroyed.connect(targetGoing));
    m_managerConnections.push_back(m_offscreenManager->renderTargetCreated.connect(targetCreated));
}

void Renderer::disconnectManagerSignals()
{
    for (TbBindings::ConnectionHandle &connection : m_managerConnections)
        connection.disconnect();
    m_managerConnections.clear();
}

void Renderer::reportActiveMeshRenderersRemoved()
{
    std::vector<MeshRenderer *> active = std::exchange(m_activeMeshRenderers, {});
    if (!m_renderAlgorithm)
        return;
    for (MeshRenderer *meshRenderer : active)
        m_renderAlgorithm->meshRendererRemoved(meshRenderer);
}

// ---- the frame loop -------------------------------------------------------------------------------------------

const RenderTargetReference *Renderer::swapchainReferenceFor(const TbGpu::Handle<TbGpu::Surface_t> &surface) const
{
    if (!m_renderAlgorithm)
        return nullptr;
    for (const RenderTargetReference &reference : m_renderAlgorithm->renderTargetRefs.get()) {
        if (reference.type == RenderTargetReference::Swapchain && reference.surface == surface)
            return &reference;
    }
    return nullptr;
}

void Renderer::recreateSwapchainFor(const RenderTargetReference &reference, RenderTarget *target)
{
    const WindowExtentWatcher *watcher = reference.extentWatcher.get();
    if (!watcher)
        return;
    m_swapchainManager->recreate(target, watcher->width(), watcher->height(), watcher->scaleFactor(), reference.layers);
}

bool Renderer::prepareRenderTargets()
{
    bool proceed = true;
    const std::vector<RenderTargetReference> &references = m_renderAlgorithm->renderTargetRefs.get();
    for (std::size_t i = 0; i < references.size(); ++i) {
        const RenderTargetReference &reference = references[i];
        const WindowExtentWatcher *watcher = reference.extentWatcher.get();
        if (reference.type == RenderTargetReference::Offscreen) {
            OffscreenRenderTarget *target = m_offscreenManager->find(uint32_t(i));
            if (!target || !watcher)
                continue;
            if (target->extent.width != watcher->width() || target->extent.height != watcher->height()) {
                SPDLOG_WARN("SURFACE EXTENT HAS CHANGED FROM {}, {} TO {}, {}", target->extent.width,
                            target->extent.height, watcher->width(), watcher->height());
                m_offscreenManager->recreate(target, watcher->width(), watcher->height(), watcher->scaleFactor(),
                                             target->layers);
            }
            continue;
        }

        SwapchainRenderTarget *swapchain = m_swapchainManager->find(reference.surface);
        if (!swapchain)
            continue;
        if (!swapchain->presentedSuccessfully) {
            SPDLOG_WARN("Skipping Unsuccessfully Presented SwapChain {:p}", static_cast<const void *>(swapchain));
            continue;
        }
        if (watcher && (swapchain->extent.width != watcher->width() || swapchain->extent.height != watcher->height()))
            recreateSwapchainFor(reference, swapchain);
        swapchain->presentedSuccessfully = false;
        uint32_t imageIndex = 0;
        const TbGpu::AcquireImageResult result = swapchain->swapchain.getNextImageIndex(
                imageIndex, swapchain->imageAvailableSemaphores[m_inFlightIndex].handle());
        if (result == TbGpu::AcquireImageResult::OutOfDate) {
            recreateSwapchainFor(reference, swapchain);
            swapchain->currentImageIndex = imageIndex;
            proceed = false;
        } else if (result == TbGpu::AcquireImageResult::Success) {
            swapchain->currentImageIndex = imageIndex;
        } else {
            SPDLOG_LOGGER_CRITICAL(m_logger, "Failed to acquire swapchain image! Aborting.");
            throw std::runtime_error("Failed to acquire swapchain image!");
        }
    }
    return proceed;
}

bool Renderer::prepareFrame()
{
    // A frame the engine does not render must not reset the fence or acquire images: nothing would signal the one
    // or present the others.
    if (!m_renderAlgorithm || !isEngineRunning())
        return false;
    m_frameFences[m_inFlightIndex].wait();
    m_threadResources->releaseCompletedResources();

    if (!prepareRenderTargets())
        return false; // the fence stays signalled: the retry next frame does not block

    m_frameFences[m_inFlightIndex].reset();
    if (m_commandsDirty[m_inFlightIndex]) {
        m_commandsDirty[m_inFlightIndex] = false;
        m_renderAlgorithm->prepareFrameData(m_inFlightIndex);
    }
    return true;
}

std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> Renderer::frameWaitSemaphores() const
{
    std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> waits;
    if (!m_swapchainManager->swapchains().empty()) {
        for (const auto &swapchain : m_swapchainManager->swapchains())
            waits.push_back(swapchain->imageAvailableSemaphores[m_inFlightIndex].handle());
    } else if (m_renderCompleteSemaphore.isValid()) {
        waits.push_back(m_renderCompleteSemaphore);
    }
    return waits;
}

void Renderer::signalFrameFenceWithoutWork(const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores)
{
    TbGpu::SubmitOptions submit;
    submit.waitSemaphores = waitSemaphores;
    submit.signalFence = m_frameFences[m_inFlightIndex].handle();
    m_graphicsQueue->submit(submit);
}

void Renderer::render()
{
    if (!isEngineRunning())
        return;
    const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> waits = frameWaitSemaphores();
    bool rendered = false;
    if (m_renderAlgorithm && m_renderAlgorithm->canRender(m_inFlightIndex)) {
        m_renderCompleteSemaphore =
                m_renderAlgorithm->renderFrame(m_inFlightIndex, waits, m_frameFences[m_inFlightIndex].handle());
        m_renderAlgorithm->postRender(m_inFlightIndex);
        rendered = true;
    } else if (!m_swapchainManager->swapchains().empty()) {
        presentBlankFrame(waits);
    } else {
        // prepareFrame() reset the fence: something must signal it, or the next wait on this slot never returns.
        signalFrameFenceWithoutWork(waits);
        // That submission consumed the previous frame's render-complete signal: waiting on it again next frame
        // would wait for a signal that never comes.
        m_renderCompleteSemaphore = {};
    }
    if (rendered && !m_swapchainManager->swapchains().empty())
        presentSwapChains(m_renderCompleteSemaphore);
    m_inFlightIndex = 1 - m_inFlightIndex;
    m_threadResources->endFrame();
}

void Renderer::presentBlankFrame(const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores)
{
    // The algorithm drew nothing into the acquired swapchain images. They are cleared and presented all the same: a
    // swapchain whose acquired images are never given back runs out of images, and the next acquisition waits
    // forever.
    TbGpu::CommandRecorder recorder = m_device.createCommandRecorder({ m_graphicsQueue->handle() });
    for (const auto &swapchain : m_swapchainManager->swapchains()) {
        TbGpu::ColorAttachment colour;
        colour.view = swapchain->imageView(swapchain->currentImageIndex);
        colour.clearValue = TbGpu::ColorClearValue{ { 0.0f, 0.0f, 0.0f, 1.0f } };
        colour.finalLayout = TbGpu::TextureLayout::PresentSrc;
        TbGpu::RenderPassCommandRecorderOptions pass;
        pass.colorAttachments = { colour };
        pass.viewCount = std::max(swapchain->layers, 1u);
        recorder.beginRenderPass(pass).end();
    }
    m_blankFrameCommands[m_inFlightIndex] = recorder.finish();
    TbGpu::SubmitOptions submit;
    submit.commandBuffers = { m_blankFrameCommands[m_inFlightIndex].handle() };
    submit.waitSemaphores = waitSemaphores;
    submit.signalSemaphores = { m_blankFrameSemaphores[m_inFlightIndex].handle() };
    submit.signalFence = m_frameFences[m_inFlightIndex].handle();
    m_graphicsQueue->submit(submit);
    presentSwapChains(m_blankFrameSemaphores[m_inFlightIndex].handle());
}

void Renderer::presentSwapChains(const TbGpu::Handle<TbGpu::GpuSemaphore_t> &waitSemaphore)
{
    const auto &swapchains = m_swapchainManager->swapchains();
    TbGpu::PresentOptions present;
    present.waitSemaphores = { waitSemaphore };
    for (const auto &swapchain : swapchains)
        present.swapchainInfos.push_back({ swapchain->swapchain.handle(), swapchain->currentImageIndex });
    m_presentQueue->present(present);
    const std::vector<TbGpu::PresentResult> results = m_presentQueue->lastPerSwapchainPresentResults();

    for (std::size_t i = 0; i < swapchains.size() && i < results.size(); ++i) {
        SwapchainRenderTarget *swapchain = swapchains[i].get();
        swapchain->presentedSuccessfully = results[i] == TbGpu::PresentResult::Success;
        if (results[i] == TbGpu::PresentResult::OutOfDate) {
            if (!isEngineRunning())
                continue;
            if (const RenderTargetReference *reference = swapchainReferenceFor(swapchain->surface))
                recreateSwapchainFor(*reference, swapchain);
        } else if (results[i] != TbGpu::PresentResult::Success) {
            SPDLOG_LOGGER_CRITICAL(m_logger, "Failed to present swapchain image! Result = {}", uint32_t(results[i]));
            throw std::runtime_error("Failed to present swapchain image!");
        }
    }
}

// ---- the scene mirror -----------------------------------------------------------------------------------------

void Renderer::add(ShaderProgram *program)
{
    m_shaderProgramStorage->add(program);
}
void Renderer::update(ShaderProgram *program)
{
    m_shaderProgramStorage->update(program);
}
void Renderer::remove(ShaderProgram *program)
{
    m_shaderProgramStorage->remove(program);
}
void Renderer::add(Texture *texture)
{
    m_textureStorage->add(texture);
}
void Renderer::update(Texture *texture)
{
    m_textureStorage->update(texture);
}
void Renderer::remove(Texture *texture)
{
    m_textureStorage->remove(texture);
}
void Renderer::add(Buffer *buffer)
{
    m_bufferStorage->add(buffer);
}
void Renderer::update(Buffer *buffer)
{
    m_bufferStorage->update(buffer);
}
void Renderer::remove(Buffer *buffer)
{
    m_bufferStorage->remove(buffer);
}
void Renderer::add(Mesh *mesh)
{
    m_meshStorage->add(mesh);
}
void Renderer::update(Mesh *mesh)
{
    m_meshStorage->update(mesh);
}
void Renderer::remove(Mesh *mesh)
{
    m_meshStorage->remove(mesh);
}
void Renderer::add(Material *material)
{
    m_materialStorage->add(material);
}
void Renderer::update(Material *material)
{
    m_materialStorage->update(material);
}
void Renderer::remove(Material *material)
{
    m_materialStorage->remove(material);
}
void Renderer::add(Light *light)
{
    m_lightStorage->add(light);
}
void Renderer::update(Light *light)
{
    m_lightStorage->update(light);
}
void Renderer::remove(Light *light)
{
    m_lightStorage->remove(light);
}

void Renderer::add(MeshRenderer *meshRenderer)
{
    m_meshRenderers.push_back(meshRenderer);
    update(meshRenderer);
}

void Renderer::update(MeshRenderer *meshRenderer)
{
    const bool active = contains(m_activeMeshRenderers, meshRenderer);
    if (meshRenderer->entity.get()) {
        if (!active) {
            m_activeMeshRenderers.push_back(meshRenderer);
            if (m_renderAlgorithm)
                m_renderAlgorithm->meshRendererAdded(meshRenderer);
        } else if (m_renderAlgorithm) {
            m_renderAlgorithm->meshRendererChanged(meshRenderer);
        }
    } else if (active) {
        eraseFrom(m_activeMeshRenderers, meshRenderer);
        if (m_renderAlgorithm)
            m_renderAlgorithm->meshRendererRemoved(meshRenderer);
    }
}

void Renderer::remove(MeshRenderer *meshRenderer)
{
    eraseFrom(m_meshRenderers, meshRenderer);
    if (eraseFrom(m_activeMeshRenderers, meshRenderer) && m_renderAlgorithm)
        m_renderAlgorithm->meshRendererRemoved(meshRenderer);
}

void Renderer::add(Entity *entity)
{
    m_entities.push_back(entity);
    update(entity);
}

void Renderer::update(Entity *entity)
{
    MeshRenderer *meshRenderer = entity->component<MeshRenderer>();
    if (meshRenderer && m_renderAlgorithm && contains(m_meshRenderers, meshRenderer) &&
        contains(m_activeMeshRenderers, meshRenderer))
        m_renderAlgorithm->meshRendererChanged(meshRenderer);
}

void Renderer::remove(Entity *entity)
{
    eraseFrom(m_entities, entity);
}

void Renderer::emptyStorages()
{
    m_lightStorage->clear();
    m_meshStorage->clear();
    m_textureStorage->clear();
    m_shaderProgramStorage->clear();
    m_materialStorage->clear();
    m_bufferStorage->clear();
}

void Renderer::releaseSceneResources()
{
    emptyStorages();
    reportActiveMeshRenderersRemoved();
    m_entities.clear();
    m_meshRenderers.clear();
}

} // namespace Orvane
