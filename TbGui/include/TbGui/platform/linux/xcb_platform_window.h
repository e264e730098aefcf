#pragma once

#include <TbGui/abstract_platform_window.h>

#include <spdlog/logger.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

namespace TbGui {

class LinuxGuiPlatformIntegration;
class XcbConnection;

// A top-level X window served over XCB. It sits at (0, 0) of the root window; a window manager may move
// it. A close request from the window manager (WM_DELETE_WINDOW) sets the Window's visibility to false.
// The native window is made through the GUI application current at the time, which need not be the one
// this object was made under: a Window may outlive its application and be shown under the next.
//
// Grabbed pointer: the pointer is hidden, confined to the window and put back to the window's centre
// after every move; the moves are added up into a virtual position that is reported instead, so motion
// is unbounded. The motion caused by the re-centring itself is recognised and not reported.
class XcbPlatformWindow : public AbstractPlatformWindow
{
public:
    XcbPlatformWindow(Window *window, LinuxGuiPlatformIntegration *integration);
    ~XcbPlatformWindow() override;

    bool create() override;
    bool destroy() override;
    bool isCreated() const override { return m_id != XCB_NONE; }
    void show() override;
    void hide() override;
    void grabMouse() override;
    void releaseMouse() override;
    void enableRawMouseInput() override;
    void disableRawMouseInput() override;
    void setTitle(const std::string &title) override;
    void setSize(uint32_t width, uint32_t height) override;

    // The X window, XCB_NONE while not created.
    xcb_window_t nativeWindow() const noexcept { return m_id; }
    bool isMouseGrabbed() const noexcept { return m_grabbed; }
    bool isRawMouseInputEnabled() const noexcept { return m_rawMouseInput; }

    // Called by the connection for the events of this window and for raw pointer motion.
    void handleXcbEvent(const xcb_generic_event_t *event);
    void handleRawMotion(uint32_t timestamp, double dx, double dy);

private:
    struct Point {
        int64_t x = 0;
        int64_t y = 0;
        bool operator==(const Point &) const = default;
    };

    void handleKey(const xcb_key_press_event_t *event, bool pressed);
    void handleButton(const xcb_button_press_event_t *event, bool pressed);
    void handleMotion(const xcb_motion_notify_event_t *event);
    void handleConfigure(const xcb_configure_notify_event_t *event);
    void handleClientMessage(const xcb_client_message_event_t *event);
    // The X connection of the current GUI application; null without one or without an X server.
    static std::shared_ptr<XcbConnection> currentConnection();
    void adoptConnection(std::shared_ptr<XcbConnection> connection);
    void recentre();
    Point centre() const;
    bool rawMotionActive() const noexcept { return m_grabbed && m_rawMouseInput; }

    std::shared_ptr<spdlog::logger> m_logger;
    std::shared_ptr<XcbConnection> m_connection;
    xcb_window_t m_id = XCB_NONE;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_requestedWidth = 0;
    uint32_t m_requestedHeight = 0;

    bool m_grabbed = false;
    Point m_savedPosition; // where the pointer was when the grab began
    Point m_virtualPosition; // what a grabbed window reports
    Point m_pointerPosition; // where the pointer really is, as far as the events seen tell
    bool m_warpPending = false;
    uint16_t m_warpSequence = 0;
    Point m_warpTarget;
    double m_rawRemainderX = 0;
    double m_rawRemainderY = 0;
    uint8_t m_buttons = 0;

    bool m_rawMouseInput = false;
    // Cleared by the destructor; lets a handler run by this window find out that it destroyed it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace TbGui
