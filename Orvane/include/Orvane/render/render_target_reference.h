#pragma once

#include <Orvane/render/window_extent_watcher.h>

#include <TbGpu/handle.h>

#include <cstdint>
#include <memory>

namespace Orvane {

// One render target a render algorithm asks for: the images of a window surface's swapchain, or one offscreen
// texture, sized after the extent watcher, with `layers` array layers (2 for a stereo pair).
struct RenderTargetReference {
    enum Type : uint32_t {
        Swapchain = 0,
        Offscreen = 1,
    };

    uint32_t type{ Swapchain };
    TbGpu::Handle<TbGpu::Surface_t> surface;
    std::shared_ptr<WindowExtentWatcher> extentWatcher;
    uint32_t layers{ 1 };

    bool operator==(const RenderTargetReference &) const = default;
};

} // namespace Orvane
