#pragma once

namespace TbGpu {

class ApiCommandBuffer
{
public:
    virtual void begin() = 0;
    virtual void finish() = 0;
};

} // namespace TbGpu
