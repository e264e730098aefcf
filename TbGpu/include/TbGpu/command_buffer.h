#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

// Recorded work ready for submission. It returns its Vulkan command buffer to the pool when it goes, so it must
// outlive the GPU's use of it (wait for the fence of its submission first).
class CommandBuffer : public DeviceObject<CommandBuffer_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
