#include "x_test_display.h"

#include <xcb/xtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template<typename T>
std::unique_ptr<T, decltype(&std::free)> owned(T *reply)
{
    return std::unique_ptr<T, decltype(&std::free)>(reply, &std::free);
}

} // namespace

XTestDisplay::XTestDisplay()
{
    if (!std::getenv("DISPLAY"))
        return;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (const int error = xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "XTestDisplay: cannot connect to %s (xcb error %d)\n", std::getenv("DISPLAY"), error);
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

XTestDisplay &XTestDisplay::shared()
{
    static XTestDisplay display;
    return display;
}

XTestDisplay::~XTestDisplay()
{
    if (!m_connection)
        return;
    restoreKeyboard();
    xcb_disconnect(m_connection);
}

void XTestDisplay::restoreKeyboard()
{
    for (xcb_keycode_t keycode : m_boundKeycodes) {
        const uint32_t none = 0;
        xcb_change_keyboard_mapping(m_connection, 1, keycode, 1, &none);
    }
    m_boundKeycodes.clear();
    sync();
}

void XTestDisplay::sync()
{
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void XTestDisplay::fakeInput(uint8_t type, uint8_t detail, int16_t x, int16_t y)
{
    xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? m_root : XCB_NONE, x,
                        y, 0);
    sync();
}

void XTestDisplay::movePointerTo(int16_t x, int16_t y)
{
    fakeInput(XCB_MOTION_NOTIFY, 0, x, y);
}

void XTestDisplay::movePointerBy(int16_t dx, int16_t dy)
{
    fakeInput(XCB_MOTION_NOTIFY, 1, dx, dy);
}

void XTestDisplay::pressButton(uint8_t button)
{
    fakeInput(XCB_BUTTON_PRESS, button, 0, 0);
    m_pressedButtons.push_back(button);
}

void XTestDisplay::releaseButton(uint8_t button)
{
    fakeInput(XCB_BUTTON_RELEASE, button, 0, 0);
    std::erase(m_pressedButtons, button);
}

void XTestDisplay::clickButton(uint8_t button)
{
    pressButton(button);
    releaseButton(button);
}

void XTestDisplay::pressKey(xcb_keycode_t keycode)
{
    fakeInput(XCB_KEY_PRESS, keycode, 0, 0);
    m_pressedKeys.push_back(keycode);
}

void XTestDisplay::releaseKey(xcb_keycode_t keycode)
{
    fakeInput(XCB_KEY_RELEASE, keycode, 0, 0);
    std::erase(m_pressedKeys, keycode);
}

void XTestDisplay::releaseKeysAndButtons()
{
    while (!m_pressedKeys.empty())
        releaseKey(m_pressedKeys.back());
    while (!m_pressedButtons.empty())
        releaseButton(m_pressedButtons.back());
}

void XTestDisplay::tapKey(xcb_keycode_t keycode)
{
    pressKey(keycode);
    releaseKey(keycode);
}

bool XTestDisplay::isViewable(xcb_window_t window)
{
    auto reply = owned(
            xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XTestDisplay::exists(xcb_window_t window)
{
    return owned(xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window),
                                                 nullptr)) != nullptr;
}

xcb_atom_t XTestDisplay::atom(const std::string &name)
{
    auto reply = owned(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.c_str()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::optional<std::string> XTestDisplay::property(xcb_window_t window, const std::string &name, const std::string &type)
{
    auto reply = owned(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(name), atom(type), 0, 1024), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    return std::string(static_cast<const char *>(xcb_get_property_value(reply.get())),
                       std::size_t(xcb_get_property_value_length(reply.get())));
}

std::optional<XTestDisplay::Geometry> XTestDisplay::geometry(xcb_window_t window)
{
    auto reply = owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    if (!reply)
        return std::nullopt;
    return Geometry{ reply->x, reply->y, reply->width, reply->height };
}

XTestDisplay::Pointer XTestDisplay::pointer()
{
    auto reply = owned(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    return reply ? Pointer{ reply->root_x, reply->root_y } : Pointer{ -1, -1 };
}

bool XTestDisplay::pointerIsGrabbedByAnother()
{
    auto reply =
            owned(xcb_grab_pointer_reply(m_connection,
                                         xcb_grab_pointer(m_connection, 0, m_root, 0, XCB_GRAB_MODE_ASYNC,
                                                          XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
                                         nullptr));
    const bool grabbedElsewhere = reply && reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS)
        xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
    sync();
    return grabbedElsewhere;
}

void XTestDisplay::sendCloseRequest(xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    char buffer[32] = {};
    std::memcpy(buffer, &message, sizeof message);
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, buffer);
    sync();
}

void XTestDisplay::focus(xcb_window_t window)
{
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    sync();
}

void XTestDisplay::resize(xcb_window_t window, uint16_t width, uint16_t height)
{
    const uint32_t values[] = { width, height };
    xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    sync();
}

xcb_keycode_t XTestDisplay::bindSpareKeycode(const std::vector<uint32_t> &keysyms)
{
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const uint8_t count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
    auto mapping = owned(xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr));
    if (!mapping)
        return 0;
    const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    // The highest keycode without any symbol.
    for (int index = count - 1; index >= 0; --index) {
        bool empty = true;
        for (int s = 0; s < perKeycode; ++s)
            empty = empty && symbols[index * perKeycode + s] == 0;
        if (!empty)
            continue;
        const auto keycode = xcb_keycode_t(setup->min_keycode + index);
        xcb_change_keyboard_mapping(m_connection, 1, keycode, uint8_t(keysyms.size()), keysyms.data());
        sync();
        m_boundKeycodes.push_back(keycode);
        return keycode;
    }
    return 0;
}
