#pragma once

#include <type_traits>

namespace TbGpu {

// A set of bits of one flag-bit enumeration. The raw value has the enumeration's width (32 bits for usage and
// feature flags, 64 bits for access and pipeline stage flags) and is what reaches Vulkan unchanged.
template<typename Bits>
class Flags
{
public:
    using MaskType = std::underlying_type_t<Bits>;

    constexpr Flags() noexcept = default;
    constexpr Flags(Bits bit) noexcept // NOLINT: a single bit converts implicitly to a set
        : m_mask(static_cast<MaskType>(bit))
    {
    }
    constexpr static Flags fromInt(MaskType mask) noexcept
    {
        Flags flags;
        flags.m_mask = mask;
        return flags;
    }

    constexpr MaskType toInt() const noexcept { return m_mask; }
    constexpr bool testFlag(Bits bit) const noexcept
    {
        return (m_mask & static_cast<MaskType>(bit)) == static_cast<MaskType>(bit) &&
                (static_cast<MaskType>(bit) != 0 || m_mask == 0);
    }
    constexpr explicit operator bool() const noexcept { return m_mask != 0; }

    constexpr Flags operator|(Flags other) const noexcept { return fromInt(m_mask | other.m_mask); }
    constexpr Flags operator&(Flags other) const noexcept { return fromInt(m_mask & other.m_mask); }
    constexpr Flags operator^(Flags other) const noexcept { return fromInt(m_mask ^ other.m_mask); }
    constexpr Flags operator~() const noexcept { return fromInt(static_cast<MaskType>(~m_mask)); }
    constexpr Flags &operator|=(Flags other) noexcept
    {
        m_mask |= other.m_mask;
        return *this;
    }
    constexpr Flags &operator&=(Flags other) noexcept
    {
        m_mask &= other.m_mask;
        return *this;
    }
    constexpr Flags &operator^=(Flags other) noexcept
    {
        m_mask ^= other.m_mask;
        return *this;
    }

    constexpr bool operator==(const Flags &other) const noexcept = default;

private:
    MaskType m_mask{ 0 };
};

// Marks an enumeration as flag bits: combining two of its bits with | yields a Flags set.
template<typename Bits>
struct IsFlagBits : std::false_type {
};

template<typename Bits>
requires IsFlagBits<Bits>::value constexpr Flags<Bits> operator|(Bits lhs, Bits rhs) noexcept
{
    return Flags<Bits>(lhs) | Flags<Bits>(rhs);
}

template<typename Bits>
requires IsFlagBits<Bits>::value constexpr Flags<Bits> operator&(Bits lhs, Bits rhs) noexcept
{
    return Flags<Bits>(lhs) & Flags<Bits>(rhs);
}

} // namespace TbGpu

#define TBGPU_DECLARE_FLAGS(Bits)                                                                                      \
    template<>                                                                                                         \
    struct IsFlagBits<Bits> : std::true_type {                                                                         \
    };
