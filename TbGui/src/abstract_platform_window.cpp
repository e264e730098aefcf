#include <TbGui/abstract_platform_window.h>

#include <TbGui/key_events.h>
#include <TbGui/mouse_events.h>
#include <TbGui/window.h>

#include <TbFoundation/core_application.h>
#include <TbFoundation/resize_event.h>

namespace TbGui {

using TbFoundation::CoreApplication;

AbstractPlatformWindow::AbstractPlatformWindow(Window *window)
    : m_window(window)
{
    if (m_window)
        m_titleConnection =
                m_window->title.valueChanged().connect([this](const std::string &title) { setTitle(title); });
}

AbstractPlatformWindow::~AbstractPlatformWindow()
{
    m_titleConnection.disconnect();
}

void AbstractPlatformWindow::handleResize(int32_t width, int32_t height)
{
    TbFoundation::ResizeEvent e(width, height);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleMousePress(uint32_t timestamp, uint8_t button, int16_t x, int16_t y)
{
    MousePressEvent e(timestamp, button, x, y);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleMouseRelease(uint32_t timestamp, uint8_t button, int16_t x, int16_t y)
{
    MouseReleaseEvent e(timestamp, button, x, y);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleMouseMove(uint32_t timestamp, uint8_t buttons, int64_t x, int64_t y)
{
    MouseMoveEvent e(timestamp, buttons, x, y);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleMouseWheel(uint32_t timestamp, int32_t xDelta, int32_t yDelta)
{
    MouseWheelEvent e(timestamp, xDelta, yDelta);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleKeyPress(uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers)
{
    KeyPressEvent e(timestamp, nativeKeycode, key, modifiers);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleKeyRelease(uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers)
{
    KeyReleaseEvent e(timestamp, nativeKeycode, key, modifiers);
    CoreApplication::sendEvent(m_window, &e);
}

void AbstractPlatformWindow::handleTextInput(const std::string &text)
{
    TextInputEvent e(text);
    CoreApplication::sendEvent(m_window, &e);
}

} // namespace TbGui
