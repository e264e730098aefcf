#pragma once

#include <cstdint>

class QWindow;

namespace ovi {

// Reports the drawable size of the Vulkan window in device pixels, for the swapchain. The screen is asked
// anew on every call, so moving the window to a screen with another pixel ratio changes the result.
class QWindowExtentWatcher
{
public:
    explicit QWindowExtentWatcher(QWindow *window);
    virtual ~QWindowExtentWatcher();

    // ceil(logical size x device-pixel ratio), computed in double precision.
    virtual uint32_t width();
    virtual uint32_t height();
    virtual float scaleFactor();

private:
    QWindow *window = nullptr;
};

} // namespace ovi
