#include <Orvane/render/render_trackers.h>

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/environment_light.h>
#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/mesh.h>
#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>
#include <Orvane/render/render_aspect.h>

#include <spdlog/spdlog.h>

#include <functional>

namespace Orvane::Render {

namespace {

template<typename R>
SceneGraphTracker<RenderAspect, R> &trackerFor(RenderAspect &aspect)
{
    if constexpr (std::is_same_v<R, Buffer>)
        return aspect.bufferTracker();
    else if constexpr (std::is_same_v<R, Texture>)
        return aspect.textureTracker();
    else if constexpr (std::is_same_v<R, Mesh>)
        return aspect.meshTracker();
    else if constexpr (std::is_same_v<R, Material>)
        return aspect.materialTracker();
    else
        return aspect.shaderProgramTracker();
}

// Tracks the property's current resource now and whenever it changes. The connection is filed under `node`.
template<typename R, typename T>
void registerRelatedResourceToTrack(SceneGraphTracker<RenderAspect, T> &tracker, T *node,
                                    TbBindings::Property<R *> &property)
{
    RenderAspect &aspect = *tracker.aspect();
    tracker.addConnection(node, property.valueChanged().connect([&aspect](R *const &resource) {
        if (resource)
            trackerFor<R>(aspect).track(resource);
    }));
    if (R *resource = property.get())
        trackerFor<R>(aspect).track(resource);
}

// Tracks every resource of the list now and on every change. Null entries are skipped, with one warning per
// list that holds any.
template<typename R, typename T, typename E>
void registerRelatedResourcesToTrack(SceneGraphTracker<RenderAspect, T> &tracker, T *node,
                                     TbBindings::Property<std::vector<E>> &property, std::function<R *(const E &)> pick)
{
    RenderAspect &aspect = *tracker.aspect();
    auto trackAll = [&aspect, pick](const std::vector<E> &entries) {
        bool nullSeen = false;
        for (const E &entry : entries) {
            if (R *resource = pick(entry))
                trackerFor<R>(aspect).track(resource);
            else
                nullSeen = true;
        }
        if (nullSeen)
            SPDLOG_LOGGER_WARN(&aspect.logger(), "A tracked resource list holds null entries; they are skipped");
    };
    tracker.addConnection(node, property.valueChanged().connect(trackAll));
    trackAll(property.get());
}

template<typename R, typename T>
void registerRelatedResourcesToTrack(SceneGraphTracker<RenderAspect, T> &tracker, T *node,
                                     TbBindings::Property<std::vector<R *>> &property)
{
    registerRelatedResourcesToTrack<R, T, R *>(tracker, node, property, [](R *const &resource) { return resource; });
}

} // namespace

bool MaterialTracker::track(Material *material)
{
    if (!SceneGraphTracker::track(material))
        return false;
    // Resources that change without a property change announce it separately.
    addConnection(material, material->resourcesChanged.connect([this](Material *changed) { nodeChanged(changed); }));
    registerRelatedResourcesToTrack<Texture, Material, Material::BindingAndTexture>(
            *this, material, material->textureBindings,
            [](const Material::BindingAndTexture &binding) { return binding.texture; });
    registerRelatedResourcesToTrack<Buffer, Material, Material::BindingAndUBO>(
            *this, material, material->uniformBufferBindings,
            [](const Material::BindingAndUBO &binding) { return binding.buffer; });
    registerRelatedResourceToTrack<ShaderProgram>(*this, material, material->shaderProgram);
    return true;
}

bool MeshTracker::track(Mesh *mesh)
{
    if (!SceneGraphTracker::track(mesh))
        return false;
    registerRelatedResourcesToTrack<Buffer>(*this, mesh, mesh->vertexBuffers);
    registerRelatedResourceToTrack<Buffer>(*this, mesh, mesh->indexBuffer);
    return true;
}

bool MeshRendererTracker::track(MeshRenderer *meshRenderer)
{
    if (!SceneGraphTracker::track(meshRenderer))
        return false;
    registerRelatedResourceToTrack<Mesh>(*this, meshRenderer, meshRenderer->mesh);
    registerRelatedResourceToTrack<Material>(*this, meshRenderer, meshRenderer->material);
    return true;
}

bool EnvironmentLightTracker::track(EnvironmentLight *light)
{
    if (!SceneGraphTracker::track(light))
        return false;
    registerRelatedResourceToTrack<Texture>(*this, light, light->irradianceMap);
    registerRelatedResourceToTrack<Texture>(*this, light, light->specularMap);
    return true;
}

void EntityTracker::registerComponentsToTrack(Entity *entity)
{
    addConnection(entity, entity->componentsChanged.connect([this](Entity *changed) { trackComponents(changed); }));
    trackComponents(entity);
}

void EntityTracker::unregisterComponentsToTrack(Entity *entity)
{
    RenderAspect &renderAspect = *aspect();
    for (const auto &component : entity->components()) {
        if (auto *meshRenderer = dynamic_cast<MeshRenderer *>(component.get()))
            renderAspect.meshRendererTracker().untrack(meshRenderer);
        if (auto *light = dynamic_cast<Light *>(component.get()))
            renderAspect.lightTracker().untrack(light);
        if (auto *environmentLight = dynamic_cast<EnvironmentLight *>(component.get()))
            renderAspect.environmentLightTracker().untrack(environmentLight);
    }
}

void EntityTracker::trackComponents(Entity *entity)
{
    RenderAspect &renderAspect = *aspect();
    bool environmentLightSeen = false;
    for (const auto &component : entity->components()) {
        if (auto *meshRenderer = dynamic_cast<MeshRenderer *>(component.get()))
            renderAspect.meshRendererTracker().track(meshRenderer);
        if (auto *light = dynamic_cast<Light *>(component.get()))
            renderAspect.lightTracker().track(light);
        if (auto *environmentLight = dynamic_cast<EnvironmentLight *>(component.get());
            environmentLight && !environmentLightSeen) {
            environmentLightSeen = true;
            renderAspect.environmentLightTracker().track(environmentLight);
        }
    }
}

} // namespace Orvane::Render
