#pragma once

#include <cstdint>

namespace TbGui {

// The key code (Key::Code) of a Linux input scan code (the X keycode minus 8), by the key's position on
// a US keyboard; Key::Unknown for codes outside the table and keys without a code.
int32_t keyForScanCode(uint32_t scanCode) noexcept;

} // namespace TbGui
