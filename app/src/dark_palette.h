#pragma once

#include <QPalette>

namespace ovi {

// The application's dark colour scheme, every role set for all colour groups with a solid brush.
QPalette darkPalette();

} // namespace ovi
