#pragma once

#include <TbGpu/bind_group_options.h>

namespace TbGpu {

class ApiBindGroup
{
public:
    virtual void update(const BindGroupEntry &entry) = 0; // rewrites one binding
};

} // namespace TbGpu
