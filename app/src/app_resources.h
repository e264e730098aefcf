#pragma once

#include <QString>

namespace ovi {

// Registers the icon bundle that is compiled into the application library. The bundle lives in a static
// library, so nothing would pull it into a program unless someone asks for it; safe to call repeatedly.
void registerAppResources();

// The resource name of the application icon on this platform: a PNG on Linux, an .ico on Windows.
QString applicationIconResource();

} // namespace ovi
