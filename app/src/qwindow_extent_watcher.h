#pragma once

#include <Orvane/render/window_extent_watcher.h>

#include <QPointer>
#include <QWindow>

#include <cstdint>

namespace ovi {

// Reports the drawable size of the Vulkan window in device pixels, for the swapchain. The screen is asked
// anew on every call, so moving the window to a screen with another pixel ratio changes the result. A window
// that is gone has no size.
class QWindowExtentWatcher : public Orvane::WindowExtentWatcher
{
public:
    explicit QWindowExtentWatcher(QWindow *window);
    ~QWindowExtentWatcher() override;

    // ceil(logical size x device-pixel ratio), computed in double precision.
    uint32_t width() const override;
    uint32_t height() const override;
    float scaleFactor() const override;

private:
    QPointer<QWindow> window;
};

} // namespace ovi
