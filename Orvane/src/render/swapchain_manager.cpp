#include <Orvane/render/swapchain_manager.h>

#include <Orvane/render/swapchain_render_target.h>

#include <TbFoundation/logging.h>
#include <TbGpu/device.h>

#include <algorithm>
#include <stdexcept>

namespace Orvane {

SwapchainManager::SwapchainManager(TbGpu::Device *device)
    : m_device(device)
    , m_logger(TbFoundation::getOrCreateLogger("swapchain manager", spdlog::level::debug))
{
}

SwapchainManager::~SwapchainManager() = default;

SwapchainRenderTarget *SwapchainManager::createSwapchain(const TbGpu::Handle<TbGpu::Surface_t> &surface, uint32_t width,
                                                         uint32_t height, float scaleFactor, uint32_t layers)
{
    if (!surface.isValid()) {
        SPDLOG_LOGGER_CRITICAL(m_logger, "Failed to create platform vulkan surface! Aborting");
        throw std::runtime_error("Failed to create platform vulkan surface!");
    }
    auto target = std::make_unique<SwapchainRenderTarget>(m_device);
    target->surface = surface;
    target->create(width, height, scaleFactor, layers);
    SwapchainRenderTarget *created = target.get();
    m_swapchains.push_back(std::move(target));
    renderTargetCreated.emit(created);
    return created;
}

void SwapchainManager::recreate(RenderTarget *target, uint32_t width, uint32_t height, float scaleFactor,
                                uint32_t layers)
{
    if (width == 0 || height == 0)
        return;
    m_device->waitUntilIdle();
    auto *swapchain = static_cast<SwapchainRenderTarget *>(target);
    renderTargetAboutToBeDestroyed.emit(swapchain);
    swapchain->release();
    swapchain->create(width, height, scaleFactor, layers);
    renderTargetCreated.emit(swapchain);
}

void SwapchainManager::remove(RenderTarget *target)
{
    const auto it = std::find_if(m_swapchains.begin(), m_swapchains.end(),
                                 [target](const auto &candidate) { return candidate.get() == target; });
    if (it == m_swapchains.end())
        return;
    renderTargetAboutToBeDestroyed.emit(it->get());
    (*it)->release();
    m_swapchains.erase(it);
}

SwapchainRenderTarget *SwapchainManager::find(const TbGpu::Handle<TbGpu::Surface_t> &surface) const
{
    for (const auto &swapchain : m_swapchains) {
        if (swapchain->surface == surface)
            return swapchain.get();
    }
    return nullptr;
}

} // namespace Orvane
