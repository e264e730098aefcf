#include <Orvane/render/stereo_presentation.h>

#include <TbGpu/adapter.h>

#include <spdlog/spdlog.h>

namespace Orvane {

StereoPresentation stereoPresentationFor(const TbGpu::Adapter &adapter, const TbGpu::Handle<TbGpu::Surface_t> &surface,
                                         std::shared_ptr<WindowExtentWatcher> extentWatcher,
                                         StereoForwardAlgorithm::StereoMode composedMode)
{
    StereoPresentation presentation;
    RenderTargetReference swapchain;
    swapchain.type = RenderTargetReference::Swapchain;
    swapchain.surface = surface;
    swapchain.extentWatcher = extentWatcher;

    const uint32_t maxLayers = adapter.swapchainProperties(surface).capabilities.maxImageArrayLayers;
    if (maxLayers >= 2) {
        swapchain.layers = 2;
        presentation.renderTargetRefs = { swapchain };
        presentation.stereoMode = StereoForwardAlgorithm::StereoMode::MultiviewDirect;
        spdlog::info("The window takes layered images: both eyes are presented as drawn");
        return presentation;
    }

    RenderTargetReference scene;
    scene.type = RenderTargetReference::Offscreen;
    scene.extentWatcher = std::move(extentWatcher);
    scene.layers = 2;
    swapchain.layers = 1;
    presentation.renderTargetRefs = { scene, swapchain };
    presentation.sceneTargetIndex = 0;
    presentation.presentTargetIndex = 1;
    presentation.stereoMode = composedMode == StereoForwardAlgorithm::StereoMode::MultiviewDirect
            ? StereoForwardAlgorithm::StereoMode::Anaglyph
            : composedMode;
    spdlog::info("The window takes one image layer (at most {}): both eyes are drawn off screen and composed, mode {}",
                 maxLayers, uint32_t(presentation.stereoMode));
    return presentation;
}

} // namespace Orvane
