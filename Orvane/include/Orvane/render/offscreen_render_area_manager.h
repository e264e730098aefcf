#pragma once

#include <TbBindings/signal.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace TbGpu {
class Device;
}

namespace Orvane {

class OffscreenRenderTarget;
class RenderTarget;

namespace Render {
class ResourceDeleter;
}

// Makes and owns the offscreen targets, each known by the position of the render target reference it was made
// for; announces them like the swapchain manager does.
class OffscreenRenderAreaManager
{
public:
    OffscreenRenderAreaManager(TbGpu::Device *device, Render::ResourceDeleter *deleter);
    ~OffscreenRenderAreaManager();

    OffscreenRenderAreaManager(const OffscreenRenderAreaManager &) = delete;
    OffscreenRenderAreaManager &operator=(const OffscreenRenderAreaManager &) = delete;

    TbBindings::Signal<OffscreenRenderTarget *> renderTargetAboutToBeDestroyed;
    TbBindings::Signal<OffscreenRenderTarget *> renderTargetCreated;

    OffscreenRenderTarget *create(uint32_t index, uint32_t width, uint32_t height, float scaleFactor, uint32_t layers);
    // As SwapchainManager::recreate.
    void recreate(RenderTarget *target, uint32_t width, uint32_t height, float scaleFactor, uint32_t layers);
    void remove(RenderTarget *target);
    OffscreenRenderTarget *find(uint32_t index) const;
    const std::vector<std::unique_ptr<OffscreenRenderTarget>> &targets() const noexcept { return m_targets; }

private:
    TbGpu::Device *m_device{ nullptr };
    Render::ResourceDeleter *m_deleter{ nullptr };
    std::shared_ptr<spdlog::logger> m_logger;
    std::vector<std::unique_ptr<OffscreenRenderTarget>> m_targets;
};

} // namespace Orvane
