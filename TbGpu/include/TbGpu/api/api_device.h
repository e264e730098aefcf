#pragma once

#include <TbGpu/adapter_properties.h>
#include <TbGpu/device_options.h>

#include <vector>

namespace TbGpu {

class ResourceManager;

class ApiDevice
{
public:
    virtual std::vector<QueueDescription> getQueues(ResourceManager *resourceManager,
                                                    const std::vector<QueueRequest> &queueRequests,
                                                    const std::vector<AdapterQueueType> &queueTypes) = 0;
    virtual ResultCode waitUntilIdle() = 0;
};

} // namespace TbGpu
