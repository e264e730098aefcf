#include <TbGpu/fence.h>
#include <TbGpu/gpu_semaphore.h>

namespace TbGpu {

ResultCode Fence::wait()
{
    ApiFence *fence = manager() ? manager()->getFence(m_handle) : nullptr;
    return fence ? fence->wait() : ResultCode::ErrorDeviceLost;
}

ResultCode Fence::reset()
{
    ApiFence *fence = manager() ? manager()->getFence(m_handle) : nullptr;
    return fence ? fence->reset() : ResultCode::ErrorDeviceLost;
}

FenceStatus Fence::status()
{
    ApiFence *fence = manager() ? manager()->getFence(m_handle) : nullptr;
    return fence ? fence->status() : FenceStatus::Error;
}

MemoryHandle GpuSemaphore::externalSemaphoreHandle() const
{
    ApiGpuSemaphore *semaphore = manager() ? manager()->getGpuSemaphore(m_handle) : nullptr;
    return semaphore ? semaphore->externalSemaphoreHandle() : MemoryHandle{};
}

} // namespace TbGpu
