#pragma once

#include <Orvane/core/aspect.h>

#include <cstdint>
#include <memory>

namespace spdlog {
class logger;
}

namespace TbGpu {
class Device;
}

namespace Orvane {

class Buffer;
class EnvironmentLight;
class Light;
class Material;
class Mesh;
class MeshRenderer;
class Renderer;
class ShaderProgram;
class Texture;

namespace Render {
class BufferTracker;
class EntityTracker;
class EnvironmentLightTracker;
class LightTracker;
class MaterialTracker;
class MeshRendererTracker;
class MeshTracker;
class ShaderProgramTracker;
class TextureTracker;
} // namespace Render

// The aspect that makes the scene visible. Its trackers follow the nodes below the root that matter to rendering;
// once per frame it hands what was removed, added and changed to the renderer, kind by kind in a fixed order (so
// each storage can rely on those synced before it), and then has the renderer prepare and render the frame.
class RenderAspect : public Aspect
{
public:
    // One bit per kind of tracked node, raised by its tracker, cleared by the sync.
    enum DirtyFlag : uint32_t {
        EntityDirty = 0x001,
        ShaderProgramDirty = 0x002,
        MaterialDirty = 0x004,
        MeshDirty = 0x010,
        TextureDirty = 0x040,
        MeshRendererDirty = 0x080,
        LightDirty = 0x100,
        EnvironmentLightDirty = 0x200,
        BufferDirty = 0x400,
    };

    struct Trackers;

    explicit RenderAspect(TbGpu::Device &&device);
    ~RenderAspect() override;

    void rootAboutToChange(Entity *oldRoot, Entity *newRoot) override;
    void rootChanged(Entity *oldRoot, Entity *newRoot) override;
    void processFrame() override;

    // Hands the collected scene changes to the renderer.
    void syncChanges();

    Renderer *renderer() const noexcept { return m_renderer; }
    Trackers &trackers() const noexcept { return *m_trackers; }
    spdlog::logger &logger() const noexcept { return *m_logger; }

    Render::MaterialTracker &materialTracker() const noexcept;
    Render::MeshTracker &meshTracker() const noexcept;
    Render::ShaderProgramTracker &shaderProgramTracker() const noexcept;
    Render::EntityTracker &entityTracker() const noexcept;
    Render::TextureTracker &textureTracker() const noexcept;
    Render::MeshRendererTracker &meshRendererTracker() const noexcept;
    Render::LightTracker &lightTracker() const noexcept;
    Render::EnvironmentLightTracker &environmentLightTracker() const noexcept;
    Render::BufferTracker &bufferTracker() const noexcept;

    uint32_t dirtyFlags{ 0 };

private:
    std::unique_ptr<Trackers> m_trackers;
    std::shared_ptr<spdlog::logger> m_logger;
    Renderer *m_renderer{ nullptr };
};

} // namespace Orvane
