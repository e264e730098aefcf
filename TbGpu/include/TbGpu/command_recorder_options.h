#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>

namespace TbGpu {

// An invalid queue selects the device's first queue.
struct CommandRecorderOptions {
    Handle<Queue_t> queue;
    CommandBufferLevel level{ CommandBufferLevel::Primary };
};

} // namespace TbGpu
