#pragma once

#include <TbGpu/adapter_limits.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TbGpu {

struct QueueRequest {
    uint32_t queueTypeIndex{ 0 }; // queue family index
    uint32_t count{ 1 };
    std::vector<float> priorities{ 1.0f }; // one per queue
};

struct DeviceOptions {
    std::vector<std::string> layers; // device layers are deprecated in Vulkan and never enabled
    std::vector<std::string> extensions; // in addition to the defaults; missing ones are warned about
    std::vector<QueueRequest> queues; // empty: one queue of family 0
    AdapterFeatures requestedFeatures;
};

// One per queue the device created.
struct QueueDescription {
    Handle<Queue_t> queue;
    QueueFlags flags;
    uint32_t timestampValidBits{ 0 };
    Extent3D minImageTransferGranularity;
    uint32_t queueTypeIndex{ 0 };
};

} // namespace TbGpu
