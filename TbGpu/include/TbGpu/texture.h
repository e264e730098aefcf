#pragma once

#include <TbGpu/device_object.h>
#include <TbGpu/texture_options.h>
#include <TbGpu/texture_view.h>

namespace TbGpu {

// A texture (image). Textures of swapchain images are wrapped the same way; deleting those leaves them alone.
// Only linear, host-visible textures can be mapped.
class Texture : public MappableDeviceObject<Texture_t>
{
public:
    using MappableDeviceObject::MappableDeviceObject;

    SubresourceLayout getSubresourceLayout(const TextureSubresource &subresource = {}) const;
    TextureView createView(const TextureViewOptions &options = {}) const;
};

} // namespace TbGpu
