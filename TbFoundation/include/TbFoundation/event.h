#pragma once

#include <cstdint>

namespace TbFoundation {

// The base of everything delivered through the core application: a numeric type and a few flag bits.
// The accepted bit tells the dispatcher that a filter consumed the event.
class Event
{
public:
    // The numeric event types. Values 3 and 8 are unused; every value from User upwards belongs to the
    // application.
    enum Type : uint16_t {
        Timer = 1,
        Post = 2,
        Quit = 4,
        Resize = 5,
        MousePress = 6,
        MouseRelease = 7,
        MouseMove = 9,
        MouseWheel = 10,
        KeyPress = 11,
        KeyRelease = 12,
        TextInput = 13,
        Update = 14,
        User = 4096,
    };

    static constexpr uint8_t AcceptedFlag = 2;

    explicit Event(uint16_t type) noexcept
        : m_type(type)
    {
    }
    virtual ~Event() = default;

    Event(const Event &) = default;
    Event &operator=(const Event &) = default;

    uint16_t type() const noexcept { return m_type; }
    uint8_t flags() const noexcept { return m_flags; }

    bool isAccepted() const noexcept { return (m_flags & AcceptedFlag) != 0; }
    void setAccepted(bool accepted) noexcept
    {
        m_flags = accepted ? uint8_t(m_flags | AcceptedFlag) : uint8_t(m_flags & ~AcceptedFlag);
    }
    void accept() noexcept { setAccepted(true); }
    void ignore() noexcept { setAccepted(false); }

private:
    uint16_t m_type;
    uint8_t m_flags = 0;
};

} // namespace TbFoundation
