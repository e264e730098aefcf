#pragma once

#include <TbBindings/connection_handle.h>

#include <cstdint>
#include <string>

namespace TbGui {

class Window;

// The native side of a Window. A platform window starts without a native window: create() makes it,
// destroy() (or destruction) removes it. The window's title is followed as it changes.
//
// The handle* operations turn native input into events and send them synchronously to the Window
// through the core application (so event filters see them first).
class AbstractPlatformWindow
{
public:
    explicit AbstractPlatformWindow(Window *window);
    virtual ~AbstractPlatformWindow();

    AbstractPlatformWindow(const AbstractPlatformWindow &) = delete;
    AbstractPlatformWindow &operator=(const AbstractPlatformWindow &) = delete;

    Window *window() const noexcept { return m_window; }

    // False when a native window already exists or it could not be made.
    virtual bool create() = 0;
    // False when there was no native window.
    virtual bool destroy() = 0;
    virtual bool isCreated() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;

    // Hides the pointer, keeps it inside the window and reports unbounded relative motion until released;
    // releasing puts the pointer back where it was.
    virtual void grabMouse() = 0;
    virtual void releaseMouse() = 0;
    // Takes motion from the device itself (unaccelerated) while the pointer is grabbed.
    virtual void enableRawMouseInput() = 0;
    virtual void disableRawMouseInput() = 0;

    virtual void setTitle(const std::string &title) = 0;
    virtual void setSize(uint32_t width, uint32_t height) = 0;

    virtual void handleResize(int32_t width, int32_t height);
    virtual void handleMousePress(uint32_t timestamp, uint8_t button, int16_t x, int16_t y);
    virtual void handleMouseRelease(uint32_t timestamp, uint8_t button, int16_t x, int16_t y);
    virtual void handleMouseMove(uint32_t timestamp, uint8_t buttons, int64_t x, int64_t y);
    virtual void handleMouseWheel(uint32_t timestamp, int32_t xDelta, int32_t yDelta);
    virtual void handleKeyPress(uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers);
    virtual void handleKeyRelease(uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers);
    virtual void handleTextInput(const std::string &text);

protected:
    Window *m_window;

private:
    TbBindings::ConnectionHandle m_titleConnection;
};

} // namespace TbGui
