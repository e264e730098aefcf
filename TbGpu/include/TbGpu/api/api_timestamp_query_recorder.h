#pragma once

#include <TbGpu/enums.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

class ApiTimestampQueryRecorder
{
public:
    virtual uint32_t writeTimestamp(PipelineStageFlags stage) = 0; // returns the number of timestamps written
    virtual std::vector<uint64_t> queryResults() = 0;
    virtual void reset() = 0;
    virtual float timestampPeriod() const = 0; // nanoseconds per tick
};

} // namespace TbGpu
