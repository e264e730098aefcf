#pragma once

// Windows on the test X display (no window manager: a window sits where it is created) and pixels read back
// from the screen, for the tests that present to a surface.

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace TbGpuTest {

struct Rgb {
    int r{ -1 }, g{ -1 }, b{ -1 };
    bool operator==(const Rgb &) const = default;
};

inline std::ostream &operator<<(std::ostream &stream, const Rgb &rgb)
{
    return stream << "(" << rgb.r << ", " << rgb.g << ", " << rgb.b << ")";
}

// One pixel of the whole screen as `import` captures it; an unreadable screen gives (-1, -1, -1).
inline Rgb screenPixel(int x, int y)
{
    const std::string shot = ::testing::TempDir() + "tavisher_screen_shot.png";
    if (std::system(("import -window root " + shot).c_str()) != 0)
        return {};
    const std::string command =
            "convert " + shot + " -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) + " -depth 8 rgb:-";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    unsigned char bytes[3]{};
    const size_t read = fread(bytes, 1, 3, pipe);
    pclose(pipe);
    std::remove(shot.c_str());
    return read == 3 ? Rgb{ bytes[0], bytes[1], bytes[2] } : Rgb{};
}

// The screen may show a present a moment after it returns: look a few times.
inline Rgb waitForScreenPixel(int x, int y, const Rgb &expected)
{
    Rgb seen;
    for (int attempt = 0; attempt < 20 && !(seen == expected); ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        seen = screenPixel(x, y);
    }
    return seen;
}

// A connection to the test display and the plain windows made on it, destroyed with it.
class TestDisplay
{
public:
    TestDisplay() = default;
    TestDisplay(const TestDisplay &) = delete;
    TestDisplay &operator=(const TestDisplay &) = delete;
    ~TestDisplay() { disconnect(); }

    // False (and a reason) when there is no display to reach: the caller skips its test.
    bool connect(std::string &whyNot)
    {
        if (!std::getenv("DISPLAY")) {
            whyNot = "no X display";
            return false;
        }
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) {
            whyNot = "cannot reach the X display";
            return false;
        }
        return true;
    }

    void disconnect()
    {
        if (!m_connection)
            return;
        for (xcb_window_t window : m_windows)
            xcb_destroy_window(m_connection, window);
        m_windows.clear();
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }

    xcb_window_t createWindow(int x, int y, uint16_t width, uint16_t height)
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, int16_t(x), int16_t(y), width,
                          height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(m_connection, window);
        m_windows.push_back(window);
        sync();
        return window;
    }

    void resize(xcb_window_t window, uint32_t width, uint32_t height)
    {
        const uint32_t values[] = { width, height };
        xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        sync();
    }

    // Returns once the server has handled every request sent so far.
    void sync() { free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    xcb_connection_t *connection() const { return m_connection; }

private:
    xcb_connection_t *m_connection{ nullptr };
    std::vector<xcb_window_t> m_windows;
};

} // namespace TbGpuTest
