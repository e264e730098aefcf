#pragma once

namespace TbFoundation {

// The platform side of a Timer: arms and disarms an operating-system timer as the Timer's properties
// change and emits its timeout() when that timer expires.
class AbstractPlatformTimer
{
public:
    virtual ~AbstractPlatformTimer() = default;
};

} // namespace TbFoundation
