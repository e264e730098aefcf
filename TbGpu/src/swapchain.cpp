#include <TbGpu/swapchain.h>

namespace TbGpu {

Swapchain::Swapchain(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Swapchain_t> &swapchain)
    : DeviceObject(api, device, swapchain)
{
    ApiSwapchain *images = record();
    if (!images)
        return;
    for (const Handle<Texture_t> &texture : images->getTextures())
        m_textures.emplace_back(m_api, m_device, texture);
}

AcquireImageResult Swapchain::getNextImageIndex(uint32_t &imageIndex, const Handle<GpuSemaphore_t> &semaphore)
{
    ApiSwapchain *swapchain = record();
    return swapchain ? swapchain->getNextImageIndex(imageIndex, semaphore) : AcquireImageResult::DeviceLost;
}

} // namespace TbGpu
