#pragma once

#include <cstdint>

namespace Orvane {

// Reports the drawable size of a window (the application implements it for its window). A render target
// follows it: when the size differs from the target's, the target is made again at the next frame.
class WindowExtentWatcher
{
public:
    virtual ~WindowExtentWatcher() = default;
    virtual uint32_t width() const = 0;
    virtual uint32_t height() const = 0;
    virtual float scaleFactor() const = 0;
};

} // namespace Orvane
