#pragma once

#include <TbFoundation/event.h>

#include <cstdint>

namespace TbGui {

// A mouse button went down (MousePress) or up (MouseRelease): the button's flag and where, in window
// coordinates. The timestamp is in milliseconds of the windowing system's clock.
class MouseButtonEvent : public TbFoundation::Event
{
public:
    MouseButtonEvent(uint16_t type, uint32_t timestamp, uint8_t button, int16_t x, int16_t y) noexcept
        : Event(type)
        , m_timestamp(timestamp)
        , m_button(button)
        , m_x(x)
        , m_y(y)
    {
    }

    uint32_t timestamp() const noexcept { return m_timestamp; }
    uint8_t button() const noexcept { return m_button; }
    int16_t x() const noexcept { return m_x; }
    int16_t y() const noexcept { return m_y; }

private:
    uint32_t m_timestamp;
    uint8_t m_button;
    int16_t m_x;
    int16_t m_y;
};

class MousePressEvent : public MouseButtonEvent
{
public:
    MousePressEvent(uint32_t timestamp, uint8_t button, int16_t x, int16_t y) noexcept
        : MouseButtonEvent(Event::MousePress, timestamp, button, x, y)
    {
    }
};

class MouseReleaseEvent : public MouseButtonEvent
{
public:
    MouseReleaseEvent(uint32_t timestamp, uint8_t button, int16_t x, int16_t y) noexcept
        : MouseButtonEvent(Event::MouseRelease, timestamp, button, x, y)
    {
    }
};

// The pointer moved: the buttons held and the new position. While the pointer is grabbed the position is
// virtual and unbounded: it keeps following the motion past the window's edges.
class MouseMoveEvent : public TbFoundation::Event
{
public:
    MouseMoveEvent(uint32_t timestamp, uint8_t buttons, int64_t x, int64_t y) noexcept
        : Event(Event::MouseMove)
        , m_timestamp(timestamp)
        , m_buttons(buttons)
        , m_x(x)
        , m_y(y)
    {
    }

    uint32_t timestamp() const noexcept { return m_timestamp; }
    uint8_t buttons() const noexcept { return m_buttons; }
    int64_t x() const noexcept { return m_x; }
    int64_t y() const noexcept { return m_y; }

private:
    uint32_t m_timestamp;
    uint8_t m_buttons;
    int64_t m_x;
    int64_t m_y;
};

// A wheel turned, in units of 120 per notch: y is positive away from the user, x positive to the left.
class MouseWheelEvent : public TbFoundation::Event
{
public:
    MouseWheelEvent(uint32_t timestamp, int32_t xDelta, int32_t yDelta) noexcept
        : Event(Event::MouseWheel)
        , m_timestamp(timestamp)
        , m_xDelta(xDelta)
        , m_yDelta(yDelta)
    {
    }

    uint32_t timestamp() const noexcept { return m_timestamp; }
    int32_t xDelta() const noexcept { return m_xDelta; }
    int32_t yDelta() const noexcept { return m_yDelta; }

private:
    uint32_t m_timestamp;
    int32_t m_xDelta;
    int32_t m_yDelta;
};

} // namespace TbGui
