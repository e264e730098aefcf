#include <TbGui/platform/linux/xcb_platform_window.h>

#include "linux_key_table.h"
#include "xcb_connection.h"

#include <TbGui/gui_application.h>
#include <TbGui/key.h>
#include <TbGui/platform/linux/linux_gui_platform_integration.h>
#include <TbGui/window.h>

#include <TbBindings/errors.h>

#include <spdlog/spdlog.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace TbGui {

namespace {

constexpr const char *sourceFile = "TbGui/platform/linux/xcb_platform_window";

#define TBGUI_WINDOW_LOG(level, function, ...)                                                                         \
    m_logger->log(spdlog::source_loc{ sourceFile, __LINE__, function }, level, __VA_ARGS__)

constexpr uint32_t windowEvents = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_BUTTON_PRESS |
        XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
        XCB_EVENT_MASK_FOCUS_CHANGE;

uint8_t buttonFlags(uint16_t state)
{
    uint8_t flags = 0;
    flags |= (state & XCB_BUTTON_MASK_1) ? MouseButton::Left : 0;
    flags |= (state & XCB_BUTTON_MASK_2) ? MouseButton::Middle : 0;
    flags |= (state & XCB_BUTTON_MASK_3) ? MouseButton::Right : 0;
    return flags;
}

// Whether the server had processed request `sequence` when it generated an event carrying `eventSequence`
// (event sequence numbers are the low 16 bits of the last request handled).
bool reached(uint16_t eventSequence, uint16_t sequence)
{
    return int16_t(uint16_t(eventSequence - sequence)) >= 0;
}

bool isAscii(const std::string &text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

XcbPlatformWindow::XcbPlatformWindow(Window *window, LinuxGuiPlatformIntegration *integration)
    : AbstractPlatformWindow(window)
    , m_logger(integration->logger())
{
    if (!m_logger)
        m_logger = spdlog::default_logger();
}

XcbPlatformWindow::~XcbPlatformWindow()
{
    *m_alive = false;
    destroy();
    if (m_rawMouseInput && m_connection)
        m_connection->deselectRawMotion();
}

bool XcbPlatformWindow::create()
{
    if (m_id != XCB_NONE)
        return false;
    // The integration belongs to the GUI application; without it there is nothing to connect through.
    if (!GuiApplication::instance()) {
        TBGUI_WINDOW_LOG(spdlog::level::critical, "TbGui::XcbPlatformWindow::create",
                         "Failed to create native window: {}", "no GUI application");
        return false;
    }
    std::shared_ptr<XcbConnection> connection = currentConnection();
    if (!connection) {
        TBGUI_WINDOW_LOG(spdlog::level::critical, "TbGui::XcbPlatformWindow::create",
                         "Failed to create native window: {}", "no connection to the X server");
        return false;
    }
    adoptConnection(std::move(connection));

    xcb_connection_t *c = m_connection->get();
    const xcb_screen_t *screen = m_connection->screen();
    const uint32_t width = std::max<uint32_t>(1, std::min<uint32_t>(m_window->width.get(), 32767));
    const uint32_t height = std::max<uint32_t>(1, std::min<uint32_t>(m_window->height.get(), 32767));

    const xcb_window_t id = xcb_generate_id(c);
    const uint32_t values[] = { screen->black_pixel, windowEvents };
    xcb_generic_error_t *error = xcb_request_check(
            c,
            xcb_create_window_checked(c, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0, uint16_t(width),
                                      uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values));
    if (error) {
        TBGUI_WINDOW_LOG(spdlog::level::critical, "TbGui::XcbPlatformWindow::create",
                         "Failed to create native window: {}", xcbErrorText(error));
        std::free(error);
        return false;
    }

    m_id = id;
    m_width = m_requestedWidth = width;
    m_height = m_requestedHeight = height;
    const xcb_atom_t deleteWindow = m_connection->atoms().wmDeleteWindow;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, m_connection->atoms().wmProtocols, XCB_ATOM_ATOM, 32, 1,
                        &deleteWindow);
    setTitle(m_window->title.get());
    m_connection->registerWindow(id, this);
    m_connection->flush();
    return true;
}

bool XcbPlatformWindow::destroy()
{
    if (m_id == XCB_NONE)
        return false;
    xcb_connection_t *c = m_connection->get();
    if (m_grabbed) {
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        m_grabbed = false;
        m_warpPending = false;
    }
    m_connection->unregisterWindow(m_id);
    xcb_destroy_window(c, m_id);
    m_connection->flush();
    m_id = XCB_NONE;
    return true;
}

void XcbPlatformWindow::show()
{
    if (m_id == XCB_NONE)
        return;
    xcb_map_window(m_connection->get(), m_id);
    m_connection->flush();
}

void XcbPlatformWindow::hide()
{
    if (m_id == XCB_NONE)
        return;
    // Unmapping would end the grab anyway; releasing first also puts the pointer back.
    releaseMouse();
    xcb_connection_t *c = m_connection->get();
    xcb_unmap_window(c, m_id);
    // Tells a window manager that the window is withdrawn, not just iconified.
    xcb_unmap_notify_event_t withdrawn{};
    withdrawn.response_type = XCB_UNMAP_NOTIFY;
    withdrawn.event = m_connection->screen()->root;
    withdrawn.window = m_id;
    char buffer[32] = {};
    std::memcpy(buffer, &withdrawn, sizeof withdrawn);
    xcb_send_event(c, 0, m_connection->screen()->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, buffer);
    m_connection->flush();
}

void XcbPlatformWindow::setTitle(const std::string &title)
{
    if (m_id == XCB_NONE)
        return;
    xcb_connection_t *c = m_connection->get();
    const auto length = uint32_t(title.size());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_id, m_connection->atoms().netWmName,
                        m_connection->atoms().utf8String, 8, length, title.data());
    // The legacy name is Latin-1 text; a title beyond ASCII is marked as UTF-8 there too.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_id, XCB_ATOM_WM_NAME,
                        isAscii(title) ? xcb_atom_t(XCB_ATOM_STRING) : m_connection->atoms().utf8String, 8, length,
                        title.data());
    m_connection->flush();
}

void XcbPlatformWindow::setSize(uint32_t width, uint32_t height)
{
    if (m_id == XCB_NONE)
        return;
    width = std::max<uint32_t>(1, std::min<uint32_t>(width, 32767));
    height = std::max<uint32_t>(1, std::min<uint32_t>(height, 32767));
    if (width == m_requestedWidth && height == m_requestedHeight)
        return;
    m_requestedWidth = width;
    m_requestedHeight = height;
    const uint32_t values[] = { width, height };
    xcb_configure_window(m_connection->get(), m_id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    m_connection->flush();
}

std::shared_ptr<XcbConnection> XcbPlatformWindow::currentConnection()
{
    GuiApplication *app = GuiApplication::instance();
    auto *integration = app ? dynamic_cast<LinuxGuiPlatformIntegration *>(app->guiPlatformIntegration()) : nullptr;
    return integration ? integration->connection() : nullptr;
}

void XcbPlatformWindow::adoptConnection(std::shared_ptr<XcbConnection> connection)
{
    if (connection == m_connection)
        return;
    // Raw motion is selected per connection: the selection moves along.
    if (m_rawMouseInput) {
        m_connection->deselectRawMotion();
        m_rawMouseInput = connection->selectRawMotion();
    }
    m_connection = std::move(connection);
}

XcbPlatformWindow::Point XcbPlatformWindow::centre() const
{
    return Point{ int64_t(m_width / 2), int64_t(m_height / 2) };
}

void XcbPlatformWindow::recentre()
{
    m_warpTarget = centre();
    const xcb_void_cookie_t cookie = xcb_warp_pointer(m_connection->get(), XCB_NONE, m_id, 0, 0, 0, 0,
                                                      int16_t(m_warpTarget.x), int16_t(m_warpTarget.y));
    m_warpSequence = uint16_t(cookie.sequence);
    m_warpPending = true;
    m_connection->flush();
}

void XcbPlatformWindow::grabMouse()
{
    if (m_id == XCB_NONE || m_grabbed)
        return;
    xcb_connection_t *c = m_connection->get();

    auto pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, m_id), nullptr);
    if (pointer) {
        m_savedPosition = Point{ pointer->win_x, pointer->win_y };
        std::free(pointer);
    }

    constexpr uint16_t grabEvents =
            XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
    auto grab =
            xcb_grab_pointer_reply(c,
                                   xcb_grab_pointer(c, 1, m_id, grabEvents, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                                                    m_id, m_connection->hiddenCursor(), XCB_CURRENT_TIME),
                                   nullptr);
    const bool grabbed = grab && grab->status == XCB_GRAB_STATUS_SUCCESS;
    const int status = grab ? int(grab->status) : -1;
    std::free(grab);
    if (!grabbed) {
        TBGUI_WINDOW_LOG(spdlog::level::warn, "TbGui::XcbPlatformWindow::grabMouse",
                         "Failed to grab the pointer (status {})", status);
        return;
    }

    m_grabbed = true;
    m_virtualPosition = m_savedPosition;
    m_pointerPosition = m_savedPosition;
    m_rawRemainderX = m_rawRemainderY = 0;
    recentre();
}

void XcbPlatformWindow::releaseMouse()
{
    if (m_id == XCB_NONE || !m_grabbed)
        return;
    xcb_connection_t *c = m_connection->get();
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_warp_pointer(c, XCB_NONE, m_id, 0, 0, 0, 0, int16_t(m_savedPosition.x), int16_t(m_savedPosition.y));
    m_grabbed = false;
    m_warpPending = false;
    m_connection->flush();
}

void XcbPlatformWindow::enableRawMouseInput()
{
    if (m_rawMouseInput)
        return;
    if (!m_connection)
        m_connection = currentConnection();
    if (!m_connection || !m_connection->selectRawMotion()) {
        TBGUI_WINDOW_LOG(spdlog::level::warn, "TbGui::XcbPlatformWindow::enableRawMouseInput",
                         "Failed to enable raw mouse input");
        return;
    }
    m_rawMouseInput = true;
}

void XcbPlatformWindow::disableRawMouseInput()
{
    if (!m_rawMouseInput)
        return;
    if (!m_connection->deselectRawMotion()) {
        TBGUI_WINDOW_LOG(spdlog::level::warn, "TbGui::XcbPlatformWindow::disableRawMouseInput",
                         "Failed to disable raw mouse input. Error = {}", "the X server refused the selection");
        return;
    }
    m_rawMouseInput = false;
}

void XcbPlatformWindow::handleXcbEvent(const xcb_generic_event_t *event)
{
    switch (event->response_type & 0x7f) {
    case XCB_KEY_PRESS:
        handleKey(reinterpret_cast<const xcb_key_press_event_t *>(event), true);
        break;
    case XCB_KEY_RELEASE:
        handleKey(reinterpret_cast<const xcb_key_press_event_t *>(event), false);
        break;
    case XCB_BUTTON_PRESS:
        handleButton(reinterpret_cast<const xcb_button_press_event_t *>(event), true);
        break;
    case XCB_BUTTON_RELEASE:
        handleButton(reinterpret_cast<const xcb_button_press_event_t *>(event), false);
        break;
    case XCB_MOTION_NOTIFY:
        handleMotion(reinterpret_cast<const xcb_motion_notify_event_t *>(event));
        break;
    case XCB_CONFIGURE_NOTIFY:
        handleConfigure(reinterpret_cast<const xcb_configure_notify_event_t *>(event));
        break;
    case XCB_CLIENT_MESSAGE:
        handleClientMessage(reinterpret_cast<const xcb_client_message_event_t *>(event));
        break;
    case XCB_UNMAP_NOTIFY:
        // The server ends a pointer grab when its window stops being viewable.
        m_grabbed = false;
        m_warpPending = false;
        break;
    default:
        break;
    }
}

void XcbPlatformWindow::handleKey(const xcb_key_press_event_t *event, bool pressed)
{
    // X keycodes are the kernel's scan codes shifted by 8.
    const uint32_t scanCode = event->detail >= 8 ? uint32_t(event->detail - 8) : 0;
    const int32_t key = keyForScanCode(scanCode);
    m_connection->applyKey(event->detail, pressed);
    const int32_t modifiers = m_connection->modifiers(event->state);
    if (!pressed) {
        handleKeyRelease(event->time, uint8_t(scanCode), key, modifiers);
        return;
    }
    // The text is worked out before the handler runs: the handler may change the keyboard state.
    const std::string text = m_connection->textForKey(event->detail);
    const std::shared_ptr<bool> alive = m_alive;
    handleKeyPress(event->time, uint8_t(scanCode), key, modifiers);
    // The key handler may have closed and destroyed the window.
    if (*alive && !text.empty())
        handleTextInput(text);
}

void XcbPlatformWindow::handleButton(const xcb_button_press_event_t *event, bool pressed)
{
    const auto x = int16_t(event->event_x);
    const auto y = int16_t(event->event_y);
    uint8_t flag = 0;
    switch (event->detail) {
    case 1:
        flag = MouseButton::Left;
        break;
    case 2:
        flag = MouseButton::Middle;
        break;
    case 3:
        flag = MouseButton::Right;
        break;
    // Buttons 4 to 7 are wheel notches: up, down, left, right. They come as press and release pairs; the
    // press is the notch.
    case 4:
        if (pressed)
            handleMouseWheel(event->time, 0, WheelDeltaPerNotch);
        return;
    case 5:
        if (pressed)
            handleMouseWheel(event->time, 0, -WheelDeltaPerNotch);
        return;
    case 6:
        if (pressed)
            handleMouseWheel(event->time, WheelDeltaPerNotch, 0);
        return;
    case 7:
        if (pressed)
            handleMouseWheel(event->time, -WheelDeltaPerNotch, 0);
        return;
    default:
        return;
    }
    if (pressed)
        handleMousePress(event->time, flag, x, y);
    else
        handleMouseRelease(event->time, flag, x, y);
}

void XcbPlatformWindow::handleMotion(const xcb_motion_notify_event_t *event)
{
    const Point position{ event->event_x, event->event_y };
    m_buttons = buttonFlags(event->state);

    if (!m_grabbed) {
        handleMouseMove(event->time, m_buttons, position.x, position.y);
        return;
    }

    // Events generated after the server carried out the last warp are relative to the warp's target; the
    // warp's own motion (to exactly that target) then shows no movement and is dropped.
    if (m_warpPending && reached(event->sequence, m_warpSequence)) {
        m_pointerPosition = m_warpTarget;
        m_warpPending = false;
    }
    const int64_t dx = position.x - m_pointerPosition.x;
    const int64_t dy = position.y - m_pointerPosition.y;
    m_pointerPosition = position;
    if (!m_warpPending && position != centre())
        recentre();
    if ((dx != 0 || dy != 0) && !rawMotionActive()) {
        m_virtualPosition.x += dx;
        m_virtualPosition.y += dy;
        handleMouseMove(event->time, m_buttons, m_virtualPosition.x, m_virtualPosition.y);
    }
}

void XcbPlatformWindow::handleRawMotion(uint32_t timestamp, double dx, double dy)
{
    if (!rawMotionActive())
        return;
    // Fractions of a pixel are carried over, so slow motion is not lost.
    m_rawRemainderX += dx;
    m_rawRemainderY += dy;
    const auto stepX = static_cast<int64_t>(std::trunc(m_rawRemainderX));
    const auto stepY = static_cast<int64_t>(std::trunc(m_rawRemainderY));
    if (stepX == 0 && stepY == 0)
        return;
    m_rawRemainderX -= double(stepX);
    m_rawRemainderY -= double(stepY);
    m_virtualPosition.x += stepX;
    m_virtualPosition.y += stepY;
    handleMouseMove(timestamp, m_buttons, m_virtualPosition.x, m_virtualPosition.y);
}

void XcbPlatformWindow::handleConfigure(const xcb_configure_notify_event_t *event)
{
    if (event->width == m_width && event->height == m_height)
        return;
    m_width = m_requestedWidth = event->width;
    m_height = m_requestedHeight = event->height;
    handleResize(int32_t(m_width), int32_t(m_height));
}

void XcbPlatformWindow::handleClientMessage(const xcb_client_message_event_t *event)
{
    const XcbConnection::Atoms &atoms = m_connection->atoms();
    if (event->type != atoms.wmProtocols || event->format != 32 || event->data.data32[0] != atoms.wmDeleteWindow)
        return;
    // A close request only hides the window; the native window stays.
    try {
        m_window->visible = false;
    } catch (const TbBindings::ReadOnlyProperty &) {
        TBGUI_WINDOW_LOG(spdlog::level::warn, "TbGui::XcbPlatformWindow::handleClientMessage",
                         "Close request ignored: the window's visibility is bound");
    }
}

} // namespace TbGui
