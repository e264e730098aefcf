#pragma once

#include <chrono>
#include <cstdint>

namespace Orvane::Render {

// The clock of the frame timings.
using FrameClock = std::chrono::steady_clock;

inline uint64_t nanosecondsSince(FrameClock::time_point start)
{
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(FrameClock::now() - start).count());
}

} // namespace Orvane::Render
