#pragma once

#include <Orvane/render/render_target_reference.h>
#include <Orvane/render/stereo_forward_algorithm.h>

#include <TbGpu/handle.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace TbGpu {
class Adapter;
}

namespace Orvane {

// How the two eyes reach a window: the render targets and the stereo mode for the stereo forward algorithm.
struct StereoPresentation {
    std::vector<RenderTargetReference> renderTargetRefs;
    uint64_t sceneTargetIndex{ 0 };
    uint64_t presentTargetIndex{ 0 };
    StereoForwardAlgorithm::StereoMode stereoMode{ StereoForwardAlgorithm::StereoMode::MultiviewDirect };
};

// A surface whose swapchain images may have two array layers is given the layered image itself: one two-layer
// swapchain target, presented as drawn. Most surfaces (X11, Wayland, most drivers) allow one layer only: the eyes
// are then drawn into a two-layer offscreen target of the window's size and composed into a one-layer swapchain
// in `composedMode` (anaglyph unless said otherwise), which a normal monitor shows.
StereoPresentation
stereoPresentationFor(const TbGpu::Adapter &adapter, const TbGpu::Handle<TbGpu::Surface_t> &surface,
                      std::shared_ptr<WindowExtentWatcher> extentWatcher,
                      StereoForwardAlgorithm::StereoMode composedMode = StereoForwardAlgorithm::StereoMode::Anaglyph);

} // namespace Orvane
