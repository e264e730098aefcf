#include <Orvane/render/render_aspect.h>

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/environment_light.h>
#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>
#include <Orvane/core/task_executor.h>
#include <Orvane/render/render_algorithm.h>
#include <Orvane/render/render_trackers.h>
#include <Orvane/render/renderer.h>

#include <TbFoundation/logging.h>
#include <TbGpu/device.h>

namespace Orvane {

struct RenderAspect::Trackers {
    explicit Trackers(RenderAspect *aspect)
        : material(aspect, MaterialDirty)
        , mesh(aspect, MeshDirty)
        , shaderProgram(aspect, ShaderProgramDirty)
        , entity(aspect, EntityDirty)
        , texture(aspect, TextureDirty)
        , meshRenderer(aspect, MeshRendererDirty)
        , light(aspect, LightDirty)
        , environmentLight(aspect, EnvironmentLightDirty)
        , buffer(aspect, BufferDirty)
    {
    }

    void resetAll()
    {
        material.reset();
        mesh.reset();
        shaderProgram.reset();
        entity.reset();
        texture.reset();
        meshRenderer.reset();
        light.reset();
        environmentLight.reset();
        buffer.reset();
    }

    Render::MaterialTracker material;
    Render::MeshTracker mesh;
    Render::ShaderProgramTracker shaderProgram;
    Render::EntityTracker entity;
    Render::TextureTracker texture;
    Render::MeshRendererTracker meshRenderer;
    Render::LightTracker light;
    Render::EnvironmentLightTracker environmentLight;
    Render::BufferTracker buffer;
};

namespace {

// Hands one kind's reports to `apply` (remove, add, update), each list taken out of the tracker first so that
// reports made meanwhile collect in fresh lists. The bit is cleared before, so that such reports raise it again.
template<typename Tracker, typename Remove, typename Add, typename Update>
void syncKind(uint32_t &dirtyFlags, Tracker &tracker, Remove remove, Add add, Update update)
{
    if (!(dirtyFlags & tracker.dirtyBit()))
        return;
    dirtyFlags &= ~tracker.dirtyBit();
    for (auto *node : tracker.takeRemoved())
        remove(node);
    for (auto *node : tracker.takeAdded())
        add(node);
    for (auto *node : tracker.takeChanged())
        update(node);
}

template<typename Tracker>
void syncKind(uint32_t &dirtyFlags, Tracker &tracker, Renderer &renderer)
{
    syncKind(
            dirtyFlags, tracker, [&renderer](auto *node) { renderer.remove(node); },
            [&renderer](auto *node) { renderer.add(node); }, [&renderer](auto *node) { renderer.update(node); });
}

} // namespace

RenderAspect::RenderAspect(TbGpu::Device &&device)
    : m_trackers(std::make_unique<Trackers>(this))
    , m_logger(TbFoundation::getOrCreateLogger("render aspect", spdlog::level::debug))
{
    setObjectName("Render Aspect");
    m_renderer = addChild(std::make_unique<Renderer>(this, std::move(device), &TaskExecutor::instance()));
}

RenderAspect::~RenderAspect()
{
    // The renderer goes first: its algorithm and storages may still be told about the scene.
    if (m_renderer)
        takeChild(m_renderer).reset();
    m_renderer = nullptr;
}

Render::MaterialTracker &RenderAspect::materialTracker() const noexcept
{
    return m_trackers->material;
}
Render::MeshTracker &RenderAspect::meshTracker() const noexcept
{
    return m_trackers->mesh;
}
Render::ShaderProgramTracker &RenderAspect::shaderProgramTracker() const noexcept
{
    return m_trackers->shaderProgram;
}
Render::EntityTracker &RenderAspect::entityTracker() const noexcept
{
    return m_trackers->entity;
}
Render::TextureTracker &RenderAspect::textureTracker() const noexcept
{
    return m_trackers->texture;
}
Render::MeshRendererTracker &RenderAspect::meshRendererTracker() const noexcept
{
    return m_trackers->meshRenderer;
}
Render::LightTracker &RenderAspect::lightTracker() const noexcept
{
    return m_trackers->light;
}
Render::EnvironmentLightTracker &RenderAspect::environmentLightTracker() const noexcept
{
    return m_trackers->environmentLight;
}
Render::BufferTracker &RenderAspect::bufferTracker() const noexcept
{
    return m_trackers->buffer;
}

void RenderAspect::rootAboutToChange(Entity *oldRoot, Entity *newRoot)
{
    if (!oldRoot)
        return;
    m_trackers->resetAll();
    dirtyFlags = 0;
    // The old tree takes the algorithm's null shader program with it.
    if (RenderAlgorithm *algorithm = m_renderer->renderAlgorithm())
        algorithm->rootEntityAboutToChange(oldRoot, newRoot);
    m_renderer->releaseSceneResources();
}

void RenderAspect::rootChanged(Entity *oldRoot, Entity *newRoot)
{
    if (!newRoot)
        return;
    if (RenderAlgorithm *algorithm = m_renderer->renderAlgorithm())
        algorithm->rootEntityChanged(oldRoot, newRoot);
    m_trackers->entity.track(newRoot);
}

void RenderAspect::syncChanges()
{
    Renderer &renderer = *m_renderer;
    syncKind(dirtyFlags, m_trackers->shaderProgram, renderer);
    syncKind(dirtyFlags, m_trackers->texture, renderer);
    syncKind(dirtyFlags, m_trackers->buffer, renderer);
    syncKind(dirtyFlags, m_trackers->mesh, renderer);
    syncKind(dirtyFlags, m_trackers->material, renderer);
    syncKind(dirtyFlags, m_trackers->meshRenderer, renderer);
    syncKind(dirtyFlags, m_trackers->entity, renderer);
    syncKind(dirtyFlags, m_trackers->light, renderer);
    // Environment lights are followed for their textures only; nothing mirrors them.
    auto ignore = [](EnvironmentLight *) {};
    syncKind(dirtyFlags, m_trackers->environmentLight, ignore, ignore, ignore);
}

void RenderAspect::processFrame()
{
    syncChanges();
    if (m_renderer->prepareFrame())
        m_renderer->render();
}

} // namespace Orvane
