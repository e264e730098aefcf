#pragma once

#include <TbGpu/bind_group_options.h>
#include <TbGpu/device_object.h>

namespace TbGpu {

// A set of resources bound together at one set number. Its descriptor set goes back to its pool when it goes.
class BindGroup : public DeviceObject<BindGroup_t>
{
public:
    using DeviceObject::DeviceObject;

    void update(const BindGroupEntry &entry); // rewrites one binding
};

} // namespace TbGpu
