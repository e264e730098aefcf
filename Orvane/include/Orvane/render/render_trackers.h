#pragma once

#include <Orvane/core/entity_tracker_base.h>
#include <Orvane/core/scene_graph_tracker.h>

namespace Orvane {

class Buffer;
class EnvironmentLight;
class Light;
class Material;
class Mesh;
class MeshRenderer;
class RenderAspect;
class ShaderProgram;
class Texture;

namespace Render {

// The render aspect's trackers, one per kind of scene node. Trackers of nodes that refer to other resources
// follow those too: a resource once tracked stays tracked until it is destroyed.

class BufferTracker : public SceneGraphTracker<RenderAspect, Buffer>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
};

class LightTracker : public SceneGraphTracker<RenderAspect, Light>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
};

class ShaderProgramTracker : public SceneGraphTracker<RenderAspect, ShaderProgram>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
};

class TextureTracker : public SceneGraphTracker<RenderAspect, Texture>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
};

// Follows the material's textures, uniform buffers and shader program.
class MaterialTracker : public SceneGraphTracker<RenderAspect, Material>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
    bool track(Material *material) override;
};

// Follows the mesh's vertex buffers and index buffer.
class MeshTracker : public SceneGraphTracker<RenderAspect, Mesh>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
    bool track(Mesh *mesh) override;
};

// Follows the mesh renderer's mesh and material.
class MeshRendererTracker : public SceneGraphTracker<RenderAspect, MeshRenderer>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
    bool track(MeshRenderer *meshRenderer) override;
};

// Follows the environment light's two textures.
class EnvironmentLightTracker : public SceneGraphTracker<RenderAspect, EnvironmentLight>
{
public:
    using SceneGraphTracker::SceneGraphTracker;
    bool track(EnvironmentLight *light) override;
};

// Follows the entity tree and hands each entity's mesh renderers, lights and first environment light to their
// trackers, now and whenever its components change.
class EntityTracker : public EntityTrackerBase<RenderAspect>
{
public:
    using EntityTrackerBase::EntityTrackerBase;

protected:
    void registerComponentsToTrack(Entity *entity) override;
    void unregisterComponentsToTrack(Entity *entity) override;

private:
    void trackComponents(Entity *entity);
};

} // namespace Render
} // namespace Orvane
