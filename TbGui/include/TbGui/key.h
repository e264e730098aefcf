#pragma once

#include <cstdint>

namespace TbGui {

// Key codes carried by key events. Printable keys use the ASCII code of what the key shows on a US
// keyboard (letters upper case); the others count up from 256. Keys without a code report Unknown.
namespace Key {
enum Code : int32_t {
    Unknown = -1,

    Space = 32,
    Apostrophe = 39,
    Comma = 44,
    Minus = 45,
    Period = 46,
    Slash = 47,
    Digit0 = 48,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    Semicolon = 59,
    Equal = 61,
    A = 65,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
    LeftBracket = 91,
    Backslash = 92,
    RightBracket = 93,
    GraveAccent = 96,
    NonUsBackslash = 161,

    Escape = 256,
    Enter = 257,
    Tab = 258,
    Backspace = 259,
    Insert = 260,
    Delete = 261,
    Right = 262,
    Left = 263,
    Down = 264,
    Up = 265,
    PageUp = 266,
    PageDown = 267,
    Home = 268,
    End = 269,
    CapsLock = 270,
    ScrollLock = 271,
    NumLock = 272,
    PrintScreen = 273,
    Pause = 274,
    F1 = 275,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    F13,
    F14,
    F15,
    F16,
    F17,
    F18,
    F19,
    F20,
    F21,
    F22,
    F23,
    F24,
    Keypad0 = 300,
    Keypad1,
    Keypad2,
    Keypad3,
    Keypad4,
    Keypad5,
    Keypad6,
    Keypad7,
    Keypad8,
    Keypad9,
    KeypadDecimal = 310,
    KeypadDivide = 311,
    KeypadMultiply = 312,
    KeypadSubtract = 313,
    KeypadAdd = 314,
    KeypadEnter = 315,
    KeypadEqual = 316,
    LeftShift = 317,
    LeftControl = 318,
    LeftAlt = 319,
    LeftLogo = 320,
    RightShift = 321,
    RightControl = 322,
    RightAlt = 323,
    RightLogo = 324,
    Menu = 325,
};
} // namespace Key

// Modifier flags of key events: the first four tell which modifier keys are held, the last two which
// locks are on.
namespace Modifier {
enum Flag : int32_t {
    Shift = 1,
    Control = 2,
    Alt = 4,
    Logo = 8,
    CapsLock = 16,
    NumLock = 32,
};
} // namespace Modifier

// Mouse button flags of mouse events.
namespace MouseButton {
enum Flag : uint8_t {
    Left = 1,
    Middle = 2,
    Right = 4,
};
} // namespace MouseButton

// One notch of a mouse wheel, in wheel-delta units.
constexpr int32_t WheelDeltaPerNotch = 120;

} // namespace TbGui
