#include "xcb_connection.h"

#include <TbGui/key.h>
#include <TbGui/platform/linux/xcb_platform_window.h>

#include <xcb/xinput.h>
// xkb.h names a member `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace TbGui {

namespace {

template<typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template<typename T>
XcbReply<T> adoptReply(T *reply)
{
    return XcbReply<T>(reply, &std::free);
}

double fromFixed(const xcb_input_fp3232_t &value)
{
    return double(value.integral) + double(value.frac) / 4294967296.0;
}

} // namespace

std::string xcbErrorText(const xcb_generic_error_t *error)
{
    static constexpr std::array<const char *, 18> names = {
        "Success",   "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
        "BadCursor", "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
        "BadColor",  "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation",
    };
    if (!error)
        return "no error";
    const char *name = error->error_code < names.size() ? names[error->error_code] : "extension error";
    return std::string(name) + " (X error " + std::to_string(error->error_code) + ", request " +
            std::to_string(error->major_code) + "." + std::to_string(error->minor_code) + ")";
}

std::shared_ptr<XcbConnection> XcbConnection::open(std::shared_ptr<spdlog::logger> logger)
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (const int error = xcb_connection_has_error(connection)) {
        logger->critical("Failed to connect to the X server (error {})", error);
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        logger->critical("Failed to connect to the X server (no screen {})", screenNumber);
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::shared_ptr<XcbConnection>(new XcbConnection(connection, screens.data, std::move(logger)));
}

XcbConnection::XcbConnection(xcb_connection_t *connection, xcb_screen_t *screen, std::shared_ptr<spdlog::logger> logger)
    : m_connection(connection)
    , m_screen(screen)
    , m_logger(std::move(logger))
{
    internAtoms();
    setUpKeyboard();
    setUpXInput();
}

XcbConnection::~XcbConnection()
{
    if (m_hiddenCursor != XCB_NONE)
        xcb_free_cursor(m_connection, m_hiddenCursor);
    xkb_state_unref(m_keyboardState);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_xkbContext);
    xcb_disconnect(m_connection);
}

void XcbConnection::internAtoms()
{
    struct Request {
        const char *name;
        xcb_atom_t *atom;
        xcb_intern_atom_cookie_t cookie;
    };
    std::array<Request, 4> requests = { {
            { "WM_PROTOCOLS", &m_atoms.wmProtocols, {} },
            { "WM_DELETE_WINDOW", &m_atoms.wmDeleteWindow, {} },
            { "_NET_WM_NAME", &m_atoms.netWmName, {} },
            { "UTF8_STRING", &m_atoms.utf8String, {} },
    } };
    // All requests first, then all replies: one round trip.
    for (Request &request : requests)
        request.cookie =
                xcb_intern_atom(m_connection, 0, uint16_t(std::char_traits<char>::length(request.name)), request.name);
    for (Request &request : requests) {
        auto reply = adoptReply(xcb_intern_atom_reply(m_connection, request.cookie, nullptr));
        if (reply)
            *request.atom = reply->atom;
    }
}

void XcbConnection::setUpKeyboard()
{
    if (!xkb_x11_setup_xkb_extension(m_connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &m_xkbFirstEvent,
                                     nullptr)) {
        m_logger->warn("The X server has no XKB extension: keys give no text");
        return;
    }
    m_keyboardDeviceId = xkb_x11_get_core_keyboard_device_id(m_connection);
    m_xkbContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (m_keyboardDeviceId < 0 || !m_xkbContext) {
        m_logger->warn("Failed to set up the keyboard map: keys give no text");
        return;
    }
    reloadKeymap();

    // Follow keyboard changes (a new keyboard, a changed map, modifier and group state) from now on.
    constexpr uint16_t events =
            XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    constexpr uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
            XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
            XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    constexpr uint16_t stateParts = XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH |
            XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_BASE | XCB_XKB_STATE_PART_GROUP_LATCH |
            XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = stateParts;
    details.stateDetails = stateParts;
    xcb_xkb_select_events_aux(m_connection, uint16_t(m_keyboardDeviceId), events, 0, 0, mapParts, mapParts, &details);

    // A held key repeats as presses only, without a release between them.
    xcb_discard_reply(m_connection,
                      xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD,
                                               XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                               XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0)
                              .sequence);
}

void XcbConnection::reloadKeymap()
{
    xkb_keymap *keymap =
            xkb_x11_keymap_new_from_device(m_xkbContext, m_connection, m_keyboardDeviceId, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state *state = keymap ? xkb_x11_state_new_from_device(keymap, m_connection, m_keyboardDeviceId) : nullptr;
    if (!state) {
        xkb_keymap_unref(keymap);
        m_logger->warn("Failed to read the keyboard map from the X server");
        return;
    }
    xkb_state_unref(m_keyboardState);
    xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_keyboardState = state;
}

void XcbConnection::setUpXInput()
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_connection, &xcb_input_id);
    if (!extension || !extension->present)
        return;
    auto version = adoptReply(
            xcb_input_xi_query_version_reply(m_connection, xcb_input_xi_query_version(m_connection, 2, 2), nullptr));
    // Raw events reach clients without a grab of their own from XInput 2.1 on.
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 1))
        return;
    m_xinputOpcode = extension->major_opcode;
}

void XcbConnection::registerWindow(xcb_window_t id, XcbPlatformWindow *window)
{
    m_windows[id] = window;
}

void XcbConnection::unregisterWindow(xcb_window_t id)
{
    m_windows.erase(id);
}

XcbPlatformWindow *XcbConnection::windowFor(xcb_window_t id) const
{
    const auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : it->second;
}

void XcbConnection::applyKey(xcb_keycode_t keycode, bool pressed)
{
    // The server's state report that follows sets the same state again (and corrects it, should the two
    // ever differ).
    if (m_keyboardState)
        xkb_state_update_key(m_keyboardState, keycode, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
}

int32_t XcbConnection::modifiers(uint16_t coreState) const
{
    int32_t flags = 0;
    if (m_keyboardState) {
        const auto held = [this](const char *name) {
            return xkb_state_mod_name_is_active(m_keyboardState, name, XKB_STATE_MODS_DEPRESSED) > 0;
        };
        const auto locked = [this](const char *name) {
            return xkb_state_mod_name_is_active(m_keyboardState, name, XKB_STATE_MODS_LOCKED) > 0;
        };
        flags |= held(XKB_MOD_NAME_SHIFT) ? Modifier::Shift : 0;
        flags |= held(XKB_MOD_NAME_CTRL) ? Modifier::Control : 0;
        flags |= held(XKB_MOD_NAME_ALT) ? Modifier::Alt : 0;
        flags |= held(XKB_MOD_NAME_LOGO) ? Modifier::Logo : 0;
        flags |= locked(XKB_MOD_NAME_CAPS) ? Modifier::CapsLock : 0;
        flags |= locked(XKB_MOD_NAME_NUM) ? Modifier::NumLock : 0;
        return flags;
    }
    // The usual core assignment: Mod1 is Alt, Mod2 Num Lock, Mod4 the logo key.
    flags |= (coreState & XCB_MOD_MASK_SHIFT) ? Modifier::Shift : 0;
    flags |= (coreState & XCB_MOD_MASK_CONTROL) ? Modifier::Control : 0;
    flags |= (coreState & XCB_MOD_MASK_1) ? Modifier::Alt : 0;
    flags |= (coreState & XCB_MOD_MASK_4) ? Modifier::Logo : 0;
    flags |= (coreState & XCB_MOD_MASK_LOCK) ? Modifier::CapsLock : 0;
    flags |= (coreState & XCB_MOD_MASK_2) ? Modifier::NumLock : 0;
    return flags;
}

std::string XcbConnection::textForKey(xcb_keycode_t keycode) const
{
    if (!m_keyboardState)
        return {};
    const int size = xkb_state_key_get_utf8(m_keyboardState, keycode, nullptr, 0);
    if (size <= 0)
        return {};
    std::string text(std::size_t(size) + 1, '\0');
    xkb_state_key_get_utf8(m_keyboardState, keycode, text.data(), text.size());
    text.resize(std::size_t(size));
    // Escape, Enter, Backspace and the like are keys, not text.
    if (text.size() == 1 && (static_cast<unsigned char>(text[0]) < 0x20 || text[0] == 0x7f))
        return {};
    return text;
}

bool XcbConnection::selectRawMotion()
{
    if (!hasXInput2())
        return false;
    if (m_rawMotionUsers == 0 && !selectRawMotionOnRoot(true))
        return false;
    ++m_rawMotionUsers;
    return true;
}

bool XcbConnection::deselectRawMotion()
{
    if (m_rawMotionUsers == 0)
        return false;
    if (m_rawMotionUsers == 1 && !selectRawMotionOnRoot(false))
        return false;
    --m_rawMotionUsers;
    return true;
}

bool XcbConnection::selectRawMotionOnRoot(bool enabled)
{
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{ { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, enabled ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0u };
    xcb_generic_error_t *error = xcb_request_check(
            m_connection, xcb_input_xi_select_events_checked(m_connection, m_screen->root, 1, &selection.head));
    if (error) {
        std::free(error);
        return false;
    }
    return true;
}

bool XcbConnection::deviceIsRelative(uint16_t deviceId)
{
    auto [it, inserted] = m_devices.try_emplace(deviceId);
    if (!inserted)
        return it->second.relative;
    auto reply = adoptReply(
            xcb_input_xi_query_device_reply(m_connection, xcb_input_xi_query_device(m_connection, deviceId), nullptr));
    if (!reply)
        return it->second.relative;
    for (auto infos = xcb_input_xi_query_device_infos_iterator(reply.get()); infos.rem;
         xcb_input_xi_device_info_next(&infos)) {
        for (auto classes = xcb_input_xi_device_info_classes_iterator(infos.data); classes.rem;
             xcb_input_device_class_next(&classes)) {
            if (classes.data->type != XCB_INPUT_DEVICE_CLASS_TYPE_VALUATOR)
                continue;
            const auto *valuator = reinterpret_cast<const xcb_input_valuator_class_t *>(classes.data);
            if (valuator->number == 0)
                it->second.relative = valuator->mode == XCB_INPUT_VALUATOR_MODE_RELATIVE;
        }
    }
    return it->second.relative;
}

xcb_cursor_t XcbConnection::hiddenCursor()
{
    if (m_hiddenCursor != XCB_NONE)
        return m_hiddenCursor;
    // A 1x1 cursor whose mask is empty shows nothing.
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, 1, pixmap, m_screen->root, 1, 1);
    const xcb_gcontext_t gc = xcb_generate_id(m_connection);
    const uint32_t foreground = 0;
    xcb_create_gc(m_connection, gc, pixmap, XCB_GC_FOREGROUND, &foreground);
    const xcb_rectangle_t pixel{ 0, 0, 1, 1 };
    xcb_poly_fill_rectangle(m_connection, pixmap, gc, 1, &pixel);
    m_hiddenCursor = xcb_generate_id(m_connection);
    xcb_create_cursor(m_connection, m_hiddenCursor, pixmap, pixmap, 0, 0, 0, 0, 0, 0, 0, 0);
    xcb_free_gc(m_connection, gc);
    xcb_free_pixmap(m_connection, pixmap);
    return m_hiddenCursor;
}

int XcbConnection::fileDescriptor() const
{
    // A broken connection stays readable for ever; leaving it out keeps waits from spinning.
    return xcb_connection_has_error(m_connection) ? -1 : xcb_get_file_descriptor(m_connection);
}

bool XcbConnection::dispatchOneEvent()
{
    xcb_generic_event_t *event = xcb_poll_for_event(m_connection);
    if (!event) {
        if (xcb_connection_has_error(m_connection) && !m_reportedConnectionLoss) {
            m_reportedConnectionLoss = true;
            m_logger->critical("Lost the connection to the X server");
        }
        return false;
    }
    const auto owned = adoptReply(event);
    dispatch(event);
    return true;
}

void XcbConnection::dispatch(const xcb_generic_event_t *event)
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == 0) {
        m_logger->error("X request failed: {}", xcbErrorText(reinterpret_cast<const xcb_generic_error_t *>(event)));
        return;
    }
    if (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent) {
        handleXkbEvent(event);
        return;
    }
    if (type == XCB_GE_GENERIC) {
        handleRawMotion(event);
        return;
    }

    xcb_window_t target = XCB_NONE;
    switch (type) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
        target = reinterpret_cast<const xcb_key_press_event_t *>(event)->event;
        break;
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
        target = reinterpret_cast<const xcb_button_press_event_t *>(event)->event;
        break;
    case XCB_MOTION_NOTIFY:
        target = reinterpret_cast<const xcb_motion_notify_event_t *>(event)->event;
        break;
    case XCB_CONFIGURE_NOTIFY:
        target = reinterpret_cast<const xcb_configure_notify_event_t *>(event)->window;
        break;
    case XCB_CLIENT_MESSAGE:
        target = reinterpret_cast<const xcb_client_message_event_t *>(event)->window;
        break;
    case XCB_UNMAP_NOTIFY:
        target = reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->window;
        break;
    default:
        return;
    }
    if (XcbPlatformWindow *window = windowFor(target))
        window->handleXcbEvent(event);
}

void XcbConnection::handleXkbEvent(const xcb_generic_event_t *event)
{
    // Every XKB event has its own kind in the second byte and the device in the ninth.
    const uint8_t kind = reinterpret_cast<const uint8_t *>(event)[1];
    const uint8_t device = reinterpret_cast<const uint8_t *>(event)[8];
    if (int32_t(device) != m_keyboardDeviceId)
        return;
    switch (kind) {
    case XCB_XKB_NEW_KEYBOARD_NOTIFY:
    case XCB_XKB_MAP_NOTIFY:
        reloadKeymap();
        break;
    case XCB_XKB_STATE_NOTIFY: {
        const auto *state = reinterpret_cast<const xcb_xkb_state_notify_event_t *>(event);
        if (m_keyboardState)
            xkb_state_update_mask(m_keyboardState, state->baseMods, state->latchedMods, state->lockedMods,
                                  xkb_layout_index_t(state->baseGroup), xkb_layout_index_t(state->latchedGroup),
                                  state->lockedGroup);
        break;
    }
    default:
        break;
    }
}

void XcbConnection::handleRawMotion(const xcb_generic_event_t *event)
{
    const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
    if (m_xinputOpcode == 0 || generic->extension != m_xinputOpcode || generic->event_type != XCB_INPUT_RAW_MOTION)
        return;
    const auto *raw = reinterpret_cast<const xcb_input_raw_motion_event_t *>(event);

    // The valuator mask tells which axes are present; their values follow in axis order.
    const uint32_t *mask = xcb_input_raw_button_press_valuator_mask(raw);
    const xcb_input_fp3232_t *values = xcb_input_raw_button_press_axisvalues_raw(raw);
    double axis[2] = { 0.0, 0.0 };
    bool present[2] = { false, false };
    int valueIndex = 0;
    for (int axisNumber = 0; axisNumber < raw->valuators_len * 32; ++axisNumber) {
        if (!(mask[axisNumber / 32] & (1u << (axisNumber % 32))))
            continue;
        if (axisNumber < 2) {
            axis[axisNumber] = fromFixed(values[valueIndex]);
            present[axisNumber] = true;
        }
        ++valueIndex;
    }
    if (!present[0] && !present[1])
        return;
    // While this client holds a pointer grab the server delivers each raw event twice, once for the grab
    // and once for the root window selection: the copy is identical down to time and sequence number.
    const RawMotion motion{ raw->time, raw->sequence, raw->sourceid, axis[0], axis[1], present[0], present[1] };
    if (m_lastRawMotion && *m_lastRawMotion == motion)
        return;
    m_lastRawMotion = motion;

    double dx = axis[0];
    double dy = axis[1];
    if (!deviceIsRelative(raw->sourceid)) {
        // An absolute device reports positions: its motion is the change since its last report.
        DeviceMotion &device = m_devices[raw->sourceid];
        const double x = present[0] ? axis[0] : device.lastX;
        const double y = present[1] ? axis[1] : device.lastY;
        dx = device.hasLast ? x - device.lastX : 0.0;
        dy = device.hasLast ? y - device.lastY : 0.0;
        device.lastX = x;
        device.lastY = y;
        device.hasLast = true;
    }
    if (dx == 0.0 && dy == 0.0)
        return;

    // Handlers may destroy windows: collect first, then look each one up again before using it.
    std::vector<xcb_window_t> targets;
    for (const auto &[id, window] : m_windows)
        targets.push_back(id);
    for (xcb_window_t id : targets) {
        if (XcbPlatformWindow *window = windowFor(id))
            window->handleRawMotion(raw->time, dx, dy);
    }
}

} // namespace TbGui
