#pragma once

#include <TbGpu/enums.h>

#include <cstdint>

namespace TbGpu {

// A fence created signalled lets the first wait of a frame loop return at once.
struct FenceOptions {
    bool createSignalled{ false };
};

enum class FenceStatus : uint32_t {
    Signalled = 0,
    Unsignalled = 1,
    Error = 2,
};

// An empty handle type makes an ordinary semaphore; otherwise it is made exportable with that type.
struct GpuSemaphoreOptions {
    ExternalSemaphoreHandleTypeFlags externalSemaphoreHandleType;
};

struct TimestampQueryRecorderOptions {
    uint32_t queryCount{ 32 };
};

} // namespace TbGpu
