#pragma once

#include <TbFoundation/event.h>

#include <cstdint>
#include <string>
#include <utility>

namespace TbGui {

// A key went down (KeyPress, also repeated while held) or up (KeyRelease): the keyboard's scan code, the
// key code (Key::Code, Key::Unknown when the key has none) and the modifier flags (Modifier::Flag).
class KeyEvent : public TbFoundation::Event
{
public:
    KeyEvent(uint16_t type, uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers) noexcept
        : Event(type)
        , m_timestamp(timestamp)
        , m_nativeKeycode(nativeKeycode)
        , m_key(key)
        , m_modifiers(modifiers)
    {
    }

    uint32_t timestamp() const noexcept { return m_timestamp; }
    uint8_t nativeKeycode() const noexcept { return m_nativeKeycode; }
    int32_t key() const noexcept { return m_key; }
    int32_t modifiers() const noexcept { return m_modifiers; }

private:
    uint32_t m_timestamp;
    uint8_t m_nativeKeycode;
    int32_t m_key;
    int32_t m_modifiers;
};

class KeyPressEvent : public KeyEvent
{
public:
    KeyPressEvent(uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers) noexcept
        : KeyEvent(Event::KeyPress, timestamp, nativeKeycode, key, modifiers)
    {
    }
};

class KeyReleaseEvent : public KeyEvent
{
public:
    KeyReleaseEvent(uint32_t timestamp, uint8_t nativeKeycode, int32_t key, int32_t modifiers) noexcept
        : KeyEvent(Event::KeyRelease, timestamp, nativeKeycode, key, modifiers)
    {
    }
};

// Text typed by the user, as UTF-8.
class TextInputEvent : public TbFoundation::Event
{
public:
    explicit TextInputEvent(std::string text)
        : Event(Event::TextInput)
        , m_text(std::move(text))
    {
    }

    const std::string &text() const noexcept { return m_text; }

private:
    std::string m_text;
};

} // namespace TbGui
