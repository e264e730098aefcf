#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/sync_options.h>

namespace TbGpu {

class ApiFence
{
public:
    virtual ResultCode wait() = 0;
    virtual ResultCode reset() = 0;
    virtual FenceStatus status() = 0;
};

} // namespace TbGpu
