#pragma once

#include <TbGpu/device_object.h>
#include <TbGpu/swapchain_options.h>
#include <TbGpu/texture.h>

#include <vector>

namespace TbGpu {

// The images a surface shows, as textures in image order. To follow a resized window, make a new swapchain with
// oldSwapchain set to this one's handle and then drop this one.
class Swapchain : public DeviceObject<Swapchain_t>
{
public:
    Swapchain() = default;
    Swapchain(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Swapchain_t> &swapchain);

    const std::vector<Texture> &textures() const noexcept { return m_textures; }
    // Waits for the next image without a time limit; the semaphore (when valid) is signalled once it is usable.
    AcquireImageResult getNextImageIndex(uint32_t &imageIndex, const Handle<GpuSemaphore_t> &semaphore = {});

private:
    std::vector<Texture> m_textures;
};

} // namespace TbGpu
