#include "linux_key_table.h"

#include <TbGui/key.h>

#include <array>

namespace TbGui {

namespace {

struct Entry {
    uint16_t scanCode;
    int32_t key;
};

// Scan codes are the kernel's input codes; the first 88 coincide with the PC keyboard's set-1 codes.
constexpr Entry entries[] = {
    { 1, Key::Escape },
    { 2, Key::Digit1 },
    { 3, Key::Digit2 },
    { 4, Key::Digit3 },
    { 5, Key::Digit4 },
    { 6, Key::Digit5 },
    { 7, Key::Digit6 },
    { 8, Key::Digit7 },
    { 9, Key::Digit8 },
    { 10, Key::Digit9 },
    { 11, Key::Digit0 },
    { 12, Key::Minus },
    { 13, Key::Equal },
    { 14, Key::Backspace },
    { 15, Key::Tab },
    { 16, Key::Q },
    { 17, Key::W },
    { 18, Key::E },
    { 19, Key::R },
    { 20, Key::T },
    { 21, Key::Y },
    { 22, Key::U },
    { 23, Key::I },
    { 24, Key::O },
    { 25, Key::P },
    { 26, Key::LeftBracket },
    { 27, Key::RightBracket },
    { 28, Key::Enter },
    { 29, Key::LeftControl },
    { 30, Key::A },
    { 31, Key::S },
    { 32, Key::D },
    { 33, Key::F },
    { 34, Key::G },
    { 35, Key::H },
    { 36, Key::J },
    { 37, Key::K },
    { 38, Key::L },
    { 39, Key::Semicolon },
    { 40, Key::Apostrophe },
    { 41, Key::GraveAccent },
    { 42, Key::LeftShift },
    { 43, Key::Backslash },
    { 44, Key::Z },
    { 45, Key::X },
    { 46, Key::C },
    { 47, Key::V },
    { 48, Key::B },
    { 49, Key::N },
    { 50, Key::M },
    { 51, Key::Comma },
    { 52, Key::Period },
    { 53, Key::Slash },
    { 54, Key::RightShift },
    { 55, Key::KeypadMultiply },
    { 56, Key::LeftAlt },
    { 57, Key::Space },
    { 58, Key::CapsLock },
    { 59, Key::F1 },
    { 60, Key::F2 },
    { 61, Key::F3 },
    { 62, Key::F4 },
    { 63, Key::F5 },
    { 64, Key::F6 },
    { 65, Key::F7 },
    { 66, Key::F8 },
    { 67, Key::F9 },
    { 68, Key::F10 },
    { 69, Key::NumLock },
    { 70, Key::ScrollLock },
    { 71, Key::Keypad7 },
    { 72, Key::Keypad8 },
    { 73, Key::Keypad9 },
    { 74, Key::KeypadSubtract },
    { 75, Key::Keypad4 },
    { 76, Key::Keypad5 },
    { 77, Key::Keypad6 },
    { 78, Key::KeypadAdd },
    { 79, Key::Keypad1 },
    { 80, Key::Keypad2 },
    { 81, Key::Keypad3 },
    { 82, Key::Keypad0 },
    { 83, Key::KeypadDecimal },
    { 86, Key::NonUsBackslash },
    { 87, Key::F11 },
    { 88, Key::F12 },
    { 96, Key::KeypadEnter },
    { 97, Key::RightControl },
    { 98, Key::KeypadDivide },
    { 99, Key::PrintScreen },
    { 100, Key::RightAlt },
    { 102, Key::Home },
    { 103, Key::Up },
    { 104, Key::PageUp },
    { 105, Key::Left },
    { 106, Key::Right },
    { 107, Key::End },
    { 108, Key::Down },
    { 109, Key::PageDown },
    { 110, Key::Insert },
    { 111, Key::Delete },
    { 117, Key::KeypadEqual },
    { 119, Key::Pause },
    { 125, Key::LeftLogo },
    { 126, Key::RightLogo },
    { 127, Key::Menu },
    { 183, Key::F13 },
    { 184, Key::F14 },
    { 185, Key::F15 },
    { 186, Key::F16 },
    { 187, Key::F17 },
    { 188, Key::F18 },
    { 189, Key::F19 },
    { 190, Key::F20 },
    { 191, Key::F21 },
    { 192, Key::F22 },
    { 193, Key::F23 },
    { 194, Key::F24 },
};

constexpr std::size_t tableSize = 256;

constexpr std::array<int32_t, tableSize> buildTable()
{
    std::array<int32_t, tableSize> table{};
    for (int32_t &key : table)
        key = Key::Unknown;
    for (const Entry &entry : entries)
        table[entry.scanCode] = entry.key;
    return table;
}

constexpr std::array<int32_t, tableSize> table = buildTable();

} // namespace

int32_t keyForScanCode(uint32_t scanCode) noexcept
{
    return scanCode < tableSize ? table[scanCode] : Key::Unknown;
}

} // namespace TbGui
