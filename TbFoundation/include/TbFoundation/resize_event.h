#pragma once

#include <TbFoundation/event.h>

#include <cstdint>

namespace TbFoundation {

// The new size of a window, in pixels.
class ResizeEvent : public Event
{
public:
    ResizeEvent(int32_t width, int32_t height) noexcept
        : Event(Event::Resize)
        , m_width(width)
        , m_height(height)
    {
    }

    int32_t width() const noexcept { return m_width; }
    int32_t height() const noexcept { return m_height; }

private:
    int32_t m_width;
    int32_t m_height;
};

} // namespace TbFoundation
