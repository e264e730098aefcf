#pragma once

#include <cstdint>

namespace Orvane {

// The renderer keeps this many frames in flight: while the GPU runs one frame slot the CPU prepares the other.
// Every per-frame GPU object exists once per slot.
inline constexpr uint32_t MaxFramesInFlight = 2;

} // namespace Orvane
