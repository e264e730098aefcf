#pragma once

#include <TbBindings/signal.h>
#include <TbGpu/handle.h>

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

class RenderTarget;
class SwapchainRenderTarget;

// Makes and owns the swapchain targets of window surfaces, in creation order (the order in which the renderer
// acquires, waits and presents). Every target it makes, remakes or removes is announced, so that the render
// algorithm can build and drop what it keeps per target.
class SwapchainManager
{
public:
    explicit SwapchainManager(TbGpu::Device *device);
    ~SwapchainManager();

    SwapchainManager(const SwapchainManager &) = delete;
    SwapchainManager &operator=(const SwapchainManager &) = delete;

    TbBindings::Signal<SwapchainRenderTarget *> renderTargetAboutToBeDestroyed;
    TbBindings::Signal<SwapchainRenderTarget *> renderTargetCreated;

    // Throws "Failed to create platform vulkan surface!" for an invalid surface.
    SwapchainRenderTarget *createSwapchain(const TbGpu::Handle<TbGpu::Surface_t> &surface, uint32_t width,
                                           uint32_t height, float scaleFactor, uint32_t layers);
    // Makes the target's images again for a new extent once the device is idle; a zero width or height (a
    // minimised window) keeps the old images.
    void recreate(RenderTarget *target, uint32_t width, uint32_t height, float scaleFactor, uint32_t layers);
    void remove(RenderTarget *target);
    SwapchainRenderTarget *find(const TbGpu::Handle<TbGpu::Surface_t> &surface) const;
    const std::vector<std::unique_ptr<SwapchainRenderTarget>> &swapchains() const noexcept { return m_swapchains; }

private:
    TbGpu::Device *m_device{ nullptr };
    std::shared_ptr<spdlog::logger> m_logger;
    std::vector<std::unique_ptr<SwapchainRenderTarget>> m_swapchains;
};

} // namespace Orvane
