// Small X11 tools for the end-to-end test, which runs without a window manager:
//   x11_test_helper close <window id>
//       asks the window to close the way a window manager would: a WM_DELETE_WINDOW client message
//       (destroying the window, as `xdotool windowclose` does, is not a close request);
//   x11_test_helper watch-state
//       prints every _NET_WM_STATE change a client asks the window manager for, one line each
//       ("<window id> add|remove|toggle <state atom>"), until it is terminated. Clients send these
//       requests to the root window; listening for structure notifications there receives them without
//       acting as (or needing) a window manager.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

std::string atomName(xcb_connection_t *connection, xcb_atom_t atom)
{
    if (atom == XCB_ATOM_NONE)
        return "none";
    xcb_get_atom_name_reply_t *reply =
            xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr);
    if (reply == nullptr)
        return "?";
    std::string name(xcb_get_atom_name_name(reply), size_t(xcb_get_atom_name_name_length(reply)));
    std::free(reply);
    return name;
}

int sendClose(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = internAtom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = internAtom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;

    const xcb_void_cookie_t cookie = xcb_send_event_checked(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                            reinterpret_cast<const char *>(&message));
    xcb_generic_error_t *error = xcb_request_check(connection, cookie);
    if (error == nullptr)
        return 0;
    std::fprintf(stderr, "x11_test_helper: X error %d while sending the close request\n", int(error->error_code));
    std::free(error);
    return 1;
}

int watchState(xcb_connection_t *connection)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    // Clients send these with the structure-notify and substructure-redirect masks; structure notify can be
    // selected by anyone, substructure redirect only by a window manager.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t netWmState = internAtom(connection, "_NET_WM_STATE");
    xcb_flush(connection);
    // The caller waits for this line before it acts, so no request is missed.
    std::printf("watching\n");
    std::fflush(stdout);

    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
            if (message->type == netWmState && message->format == 32) {
                static const char *const actions[] = { "remove", "add", "toggle" };
                const uint32_t action = message->data.data32[0];
                for (int i = 1; i <= 2; ++i) {
                    if (message->data.data32[i] == XCB_ATOM_NONE)
                        continue;
                    std::printf("0x%x %s %s\n", unsigned(message->window), action < 3 ? actions[action] : "?",
                                atomName(connection, message->data.data32[i]).c_str());
                }
                std::fflush(stdout);
            }
        }
        std::free(event);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc >= 2 ? argv[1] : "";
    if (!((command == "close" && argc == 3) || (command == "watch-state" && argc == 2))) {
        std::fprintf(stderr, "usage: %s close <window id> | watch-state\n", argv[0]);
        return 2;
    }

    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "x11_test_helper: cannot connect to the X display\n");
        return 1;
    }
    const int status = command == "close" ? sendClose(connection, xcb_window_t(std::stoul(argv[2], nullptr, 0)))
                                          : watchState(connection);
    xcb_disconnect(connection);
    return status;
}
