#pragma once

#include <TbFoundation/platform/linux/linux_event_source.h>

#include <spdlog/logger.h>

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace TbGui {

class XcbPlatformWindow;

// One connection to the X server, shared by the windows of the Linux GUI integration: the atoms they
// need, the keyboard map and state (through xkbcommon, kept current from XKB events), the XInput2 raw
// motion selection and the routing of incoming events to the windows they belong to.
class XcbConnection final : public TbFoundation::LinuxEventSource
{
public:
    // Connects to $DISPLAY; null (after logging why) when that fails.
    static std::shared_ptr<XcbConnection> open(std::shared_ptr<spdlog::logger> logger);
    ~XcbConnection() override;

    XcbConnection(const XcbConnection &) = delete;
    XcbConnection &operator=(const XcbConnection &) = delete;

    xcb_connection_t *get() const noexcept { return m_connection; }
    const xcb_screen_t *screen() const noexcept { return m_screen; }
    void flush() { xcb_flush(m_connection); }

    struct Atoms {
        xcb_atom_t wmProtocols = XCB_ATOM_NONE;
        xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
        xcb_atom_t netWmName = XCB_ATOM_NONE;
        xcb_atom_t utf8String = XCB_ATOM_NONE;
    };
    const Atoms &atoms() const noexcept { return m_atoms; }

    void registerWindow(xcb_window_t id, XcbPlatformWindow *window);
    void unregisterWindow(xcb_window_t id);

    // Follows a key event of one of our windows into the keyboard state at once: the server reports the
    // state change a key causes only after the key event itself.
    void applyKey(xcb_keycode_t keycode, bool pressed);
    // Modifier flags (Modifier::Flag) of the current keyboard state: held modifier keys and active locks.
    // Without XKB the core event's state field (the state before the event) is used.
    int32_t modifiers(uint16_t coreState) const;
    // What the key types in the current keyboard state, as UTF-8; empty for keys that type nothing and
    // for control characters.
    std::string textForKey(xcb_keycode_t keycode) const;

    // XInput2 raw motion on the root window, shared by reference count. False when the server lacks
    // XInput 2 or refused the selection.
    bool selectRawMotion();
    bool deselectRawMotion();
    bool hasXInput2() const noexcept { return m_xinputOpcode != 0; }

    // An invisible cursor for grabbed pointers, made on first use.
    xcb_cursor_t hiddenCursor();

    int fileDescriptor() const override;
    bool dispatchOneEvent() override;

private:
    explicit XcbConnection(xcb_connection_t *connection, xcb_screen_t *screen, std::shared_ptr<spdlog::logger> logger);

    void internAtoms();
    void setUpKeyboard();
    void reloadKeymap();
    void setUpXInput();

    void dispatch(const xcb_generic_event_t *event);
    void handleXkbEvent(const xcb_generic_event_t *event);
    void handleRawMotion(const xcb_generic_event_t *event);
    XcbPlatformWindow *windowFor(xcb_window_t id) const;
    bool selectRawMotionOnRoot(bool enabled);
    // Whether the device's first two axes report relative motion (queried once per device).
    bool deviceIsRelative(uint16_t deviceId);

    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
    std::shared_ptr<spdlog::logger> m_logger;
    Atoms m_atoms;
    std::unordered_map<xcb_window_t, XcbPlatformWindow *> m_windows;

    xkb_context *m_xkbContext = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_state *m_keyboardState = nullptr;
    int32_t m_keyboardDeviceId = -1;
    uint8_t m_xkbFirstEvent = 0;

    uint8_t m_xinputOpcode = 0;
    int m_rawMotionUsers = 0;
    struct DeviceMotion {
        bool relative = true;
        bool hasLast = false;
        double lastX = 0;
        double lastY = 0;
    };
    std::unordered_map<uint16_t, DeviceMotion> m_devices;
    struct RawMotion {
        uint32_t time;
        uint16_t sequence;
        uint16_t sourceId;
        double x, y;
        bool hasX, hasY;
        bool operator==(const RawMotion &) const = default;
    };
    std::optional<RawMotion> m_lastRawMotion;

    xcb_cursor_t m_hiddenCursor = XCB_NONE;
    bool m_reportedConnectionLoss = false;
};

// A readable text for an X protocol error: the error's name and numbers.
std::string xcbErrorText(const xcb_generic_error_t *error);

} // namespace TbGui
