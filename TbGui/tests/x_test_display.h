#pragma once

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The test's own connection to the X server: it injects input through XTEST and looks at windows from the
// outside, the way a window manager or the user would.
//
// One instance serves the whole test program (shared()): an X server resets itself when its last client
// disconnects, and a connection made during that reset fails.
class XTestDisplay
{
public:
    static XTestDisplay &shared();

    XTestDisplay();
    ~XTestDisplay();

    XTestDisplay(const XTestDisplay &) = delete;
    XTestDisplay &operator=(const XTestDisplay &) = delete;

    bool isOpen() const { return m_connection != nullptr; }
    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    // Waits until the server has carried out every request sent so far.
    void sync();

    // Input, as if from the devices.
    void movePointerTo(int16_t x, int16_t y);
    void movePointerBy(int16_t dx, int16_t dy);
    void pressButton(uint8_t button);
    void releaseButton(uint8_t button);
    void clickButton(uint8_t button);
    void pressKey(xcb_keycode_t keycode);
    void releaseKey(xcb_keycode_t keycode);
    void tapKey(xcb_keycode_t keycode);
    // Lets go of whatever a failed test left pressed.
    void releaseKeysAndButtons();

    // Looking at a window.
    bool isViewable(xcb_window_t window);
    bool exists(xcb_window_t window);
    std::optional<std::string> property(xcb_window_t window, const std::string &name, const std::string &type);
    struct Geometry {
        int16_t x, y;
        uint16_t width, height;
    };
    std::optional<Geometry> geometry(xcb_window_t window);
    struct Pointer {
        int16_t rootX, rootY;
    };
    Pointer pointer();
    // Whether some client holds an active pointer grab (our own grab attempt then fails).
    bool pointerIsGrabbedByAnother();

    // Acting on a window the way a window manager would.
    void sendCloseRequest(xcb_window_t window);
    void focus(xcb_window_t window);
    void resize(xcb_window_t window, uint16_t width, uint16_t height);

    // Binds a keycode without symbols to `keysyms` (until restoreKeyboard()); returns it, or 0.
    xcb_keycode_t bindSpareKeycode(const std::vector<uint32_t> &keysyms);
    void restoreKeyboard();

    xcb_atom_t atom(const std::string &name);

private:
    void fakeInput(uint8_t type, uint8_t detail, int16_t x, int16_t y);

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    std::vector<xcb_keycode_t> m_boundKeycodes;
    std::vector<uint8_t> m_pressedButtons;
    std::vector<xcb_keycode_t> m_pressedKeys;
};
