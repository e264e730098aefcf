#pragma once

#include <TbGpu/device_object.h>

namespace TbGpu {

class TextureView : public DeviceObject<TextureView_t>
{
public:
    using DeviceObject::DeviceObject;
};

} // namespace TbGpu
