#pragma once

#include <cstdint>

namespace TbGpu {

// The native window a surface is made for. On X11 (XCB) the connection and the window id; the library never
// opens or closes the connection.
struct SurfaceOptions {
    void *connection{ nullptr }; // xcb_connection_t*
    uint32_t window{ 0 }; // xcb_window_t
};

} // namespace TbGpu
