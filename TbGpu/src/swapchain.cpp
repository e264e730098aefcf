#include <TbGpu/swapchain.h>

namespace TbGpu {

Swapchain::Swapchain(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Swapchain_t> &swapchain)
    : DeviceObject(api, device, swapchain)
{
    ApiSwapchain *record = manager() ? manager()->getSwapchain(m_handle) : nullptr;
    if (!record)
        return;
    for (const Handle<Texture_t> &texture : record->getTextures())
        m_textures.emplace_back(m_api, m_device, texture);
}

AcquireImageResult Swapchain::getNextImageIndex(uint32_t &imageIndex, const Handle<GpuSemaphore_t> &semaphore)
{
    ApiSwapchain *record = manager() ? manager()->getSwapchain(m_handle) : nullptr;
    return record ? record->getNextImageIndex(imageIndex, semaphore) : AcquireImageResult::DeviceLost;
}

} // namespace TbGpu
