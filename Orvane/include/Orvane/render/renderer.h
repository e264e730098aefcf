#pragma once

#include <Orvane/render/frames_in_flight.h>

#include <TbBindings/connection_handle.h>
#include <TbFoundation/object.h>
#include <TbGpu/command_buffer.h>
#include <TbGpu/device.h>
#include <TbGpu/fence.h>
#include <TbGpu/gpu_semaphore.h>
#include <TbGpu/handle.h>

#include <array>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class Buffer;
class BufferStorage;
class DefaultMaterialStorage;
class Entity;
class Light;
class LightStorage;
class Material;
class Mesh;
class MeshRenderer;
class MeshStorage;
class OffscreenRenderAreaManager;
class RenderAlgorithm;
class RenderAspect;
class RenderTarget;
class ShaderProgram;
class ShaderProgramStorage;
class StagingBufferPool;
class SwapchainManager;
class TaskExecutor;
class Texture;
class TextureStorage;
class ThreadResourceRegistry;
struct RenderTargetReference;

namespace Render {
class ResourceDeleter;
}

// Owns the logical device and what lives as long as it (queues, storages of scene resources, render targets,
// per-thread deleters and staging pools, the fences of the two frames in flight) and the one render algorithm.
// Each engine frame calls prepareFrame() and, when it succeeds, render(); the renderer sequences fence waits,
// acquisition, the algorithm's hooks, submission and presentation, and keeps retired GPU objects alive until the
// frames that may use them have completed.
class Renderer : public TbFoundation::Object
{
public:
    Renderer(RenderAspect *aspect, TbGpu::Device &&device, TaskExecutor *executor);
    ~Renderer() override;

    // Creates the frame fences (signalled, so the first wait of each slot returns at once), registers the calling
    // thread's deleter and staging pool and creates the offscreen render area manager.
    bool createSyncObjects();

    // Replaces the algorithm: the old one loses its render targets and resources and is returned; the new one gets
    // its targets, its resources and every active mesh renderer.
    std::unique_ptr<RenderAlgorithm> setRenderAlgorithm(std::unique_ptr<RenderAlgorithm> algorithm);
    RenderAlgorithm *renderAlgorithm() const noexcept { return m_renderAlgorithm.get(); }

    // Waits for the frame slot, follows changed extents and acquires swapchain images. False: skip this frame.
    bool prepareFrame();
    // Lets the algorithm render the prepared frame, presents it and moves on to the other frame slot.
    void render();
    void presentSwapChains(const TbGpu::Handle<TbGpu::GpuSemaphore_t> &waitSemaphore);

    // The calling thread's deleter and staging pool.
    Render::ResourceDeleter *resourceDeleter() const;
    StagingBufferPool *stagingBufferPool() const;
    ThreadResourceRegistry &threadResources() const noexcept { return *m_threadResources; }

    // The scene changes the render aspect hands over once per frame.
    void add(ShaderProgram *program);
    void update(ShaderProgram *program);
    void remove(ShaderProgram *program);
    void add(Texture *texture);
    void update(Texture *texture);
    void remove(Texture *texture);
    void add(Buffer *buffer);
    void update(Buffer *buffer);
    void remove(Buffer *buffer);
    void add(Mesh *mesh);
    void update(Mesh *mesh);
    void remove(Mesh *mesh);
    void add(Material *material);
    void update(Material *material);
    void remove(Material *material);
    void add(MeshRenderer *meshRenderer);
    void update(MeshRenderer *meshRenderer);
    void remove(MeshRenderer *meshRenderer);
    void add(Entity *entity);
    void update(Entity *entity);
    void remove(Entity *entity);
    void add(Light *light);
    void update(Light *light);
    void remove(Light *light);
    // Empties every storage and tells the algorithm that every active mesh renderer went.
    void releaseSceneResources();

    RenderAspect *aspect() const noexcept { return m_aspect; }
    bool isEngineRunning() const;
    TbGpu::Device &device() noexcept { return m_device; }
    TbGpu::Queue *graphicsQueue() const noexcept { return m_graphicsQueue; }
    TbGpu::Queue *secondaryQueue() const noexcept { return m_secondaryQueue; }
    TbGpu::Queue *presentQueue() const noexcept { return m_presentQueue; }

    BufferStorage &bufferStorage() const noexcept { return *m_bufferStorage; }
    MeshStorage &meshStorage() const noexcept { return *m_meshStorage; }
    TextureStorage &textureStorage() const noexcept { return *m_textureStorage; }
    ShaderProgramStorage &shaderProgramStorage() const noexcept { return *m_shaderProgramStorage; }
    DefaultMaterialStorage &materialStorage() const noexcept { return *m_materialStorage; }
    LightStorage &lightStorage() const noexcept { return *m_lightStorage; }
    SwapchainManager &swapchainManager() const noexcept { return *m_swapchainManager; }
    OffscreenRenderAreaManager *offscreenManager() const noexcept { return m_offscreenManager.get(); }

    const std::vector<Entity *> &entities() const noexcept { return m_entities; }
    const std::vector<MeshRenderer *> &meshRenderers() const noexcept { return m_meshRenderers; }
    const std::vector<MeshRenderer *> &activeMeshRenderers() const noexcept { return m_activeMeshRenderers; }
    const std::vector<TbGpu::Handle<TbGpu::Surface_t>> &knownSurfaces() const noexcept { return m_knownSurfaces; }

    uint32_t inFlightIndex() const noexcept { return m_inFlightIndex; }
    TbGpu::Fence &frameFence(uint32_t slot) { return m_frameFences.at(slot); }
    TbGpu::Handle<TbGpu::GpuSemaphore_t> renderCompleteSemaphore() const noexcept { return m_renderCompleteSemaphore; }
    bool commandsDirty(uint32_t slot) const { return m_commandsDirty.at(slot); }
    // Both frame slots are prepared again (the algorithm's prepareFrameData runs before their next frames).
    void markFramesDirty() noexcept { m_commandsDirty.fill(true); }
    bool isInitialized() const noexcept { return m_initialized; }

private:
    void pickQueues();
    void removeRenderTargets(RenderAlgorithm &algorithm);
    void createRenderTargets(RenderAlgorithm &algorithm);
    void connectManagerSignals();
    void disconnectManagerSignals();
    void recreateSwapchainFor(const RenderTargetReference &reference, RenderTarget *target);
    bool prepareRenderTargets();
    std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> frameWaitSemaphores() const;
    void signalFrameFenceWithoutWork(const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores);
    void presentBlankFrame(const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores);
    void reportActiveMeshRenderersRemoved();
    void emptyStorages();
    const RenderTargetReference *swapchainReferenceFor(const TbGpu::Handle<TbGpu::Surface_t> &surface) const;

    RenderAspect *m_aspect{ nullptr };
    std::array<TbGpu::Fence, MaxFramesInFlight> m_frameFences;
    // What a frame the algorithm could not render submits and presents instead.
    std::array<TbGpu::CommandBuffer, MaxFramesInFlight> m_blankFrameCommands;
    std::array<TbGpu::GpuSemaphore, MaxFramesInFlight> m_blankFrameSemaphores;
    uint32_t m_inFlightIndex{ 0 };
    TbGpu::Handle<TbGpu::GpuSemaphore_t> m_renderCompleteSemaphore;
    std::array<bool, MaxFramesInFlight> m_commandsDirty{ true, true };
    std::unique_ptr<RenderAlgorithm> m_renderAlgorithm;
    std::vector<Entity *> m_entities;
    std::vector<MeshRenderer *> m_meshRenderers;
    std::vector<MeshRenderer *> m_activeMeshRenderers;
    TbGpu::Device m_device;
    TbGpu::Queue *m_graphicsQueue{ nullptr };
    TbGpu::Queue *m_secondaryQueue{ nullptr };
    TbGpu::Queue *m_presentQueue{ nullptr };
    std::unique_ptr<ThreadResourceRegistry> m_threadResources;
    std::vector<TbGpu::Handle<TbGpu::Surface_t>> m_knownSurfaces;
    std::unique_ptr<BufferStorage> m_bufferStorage;
    std::unique_ptr<MeshStorage> m_meshStorage;
    std::unique_ptr<TextureStorage> m_textureStorage;
    std::unique_ptr<ShaderProgramStorage> m_shaderProgramStorage;
    std::unique_ptr<DefaultMaterialStorage> m_materialStorage;
    std::unique_ptr<LightStorage> m_lightStorage;
    std::unique_ptr<SwapchainManager> m_swapchainManager;
    std::unique_ptr<OffscreenRenderAreaManager> m_offscreenManager;
    std::vector<TbBindings::ConnectionHandle> m_managerConnections;
    std::shared_ptr<spdlog::logger> m_logger;
    bool m_initialized{ false };
};

} // namespace Orvane
