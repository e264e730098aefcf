#include <TbGpu/fence.h>
#include <TbGpu/gpu_semaphore.h>

namespace TbGpu {

ResultCode Fence::wait()
{
    ApiFence *fence = record();
    return fence ? fence->wait() : ResultCode::ErrorDeviceLost;
}

ResultCode Fence::reset()
{
    ApiFence *fence = record();
    return fence ? fence->reset() : ResultCode::ErrorDeviceLost;
}

FenceStatus Fence::status()
{
    ApiFence *fence = record();
    return fence ? fence->status() : FenceStatus::Error;
}

MemoryHandle GpuSemaphore::externalSemaphoreHandle() const
{
    ApiGpuSemaphore *semaphore = record();
    return semaphore ? semaphore->externalSemaphoreHandle() : MemoryHandle{};
}

} // namespace TbGpu
