#include <TbGpu/queue.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Queue::Queue(GraphicsApi *api, const Handle<Device_t> &device, const QueueDescription &description)
    : m_api(api)
    , m_device(device)
    , m_queue(description.queue)
    , m_flags(description.flags)
    , m_timestampValidBits(description.timestampValidBits)
    , m_minImageTransferGranularity(description.minImageTransferGranularity)
    , m_queueTypeIndex(description.queueTypeIndex)
{
}

Queue::Queue(Queue &&other) noexcept
{
    *this = std::move(other);
}

// Queues own nothing, so taking over another queue releases nothing first.
Queue &Queue::operator=(Queue &&other) noexcept
{
    if (this != &other) {
        m_api = std::exchange(other.m_api, nullptr);
        m_device = std::exchange(other.m_device, {});
        m_queue = std::exchange(other.m_queue, {});
        m_flags = other.m_flags;
        m_timestampValidBits = other.m_timestampValidBits;
        m_minImageTransferGranularity = other.m_minImageTransferGranularity;
        m_queueTypeIndex = other.m_queueTypeIndex;
    }
    return *this;
}

ResultCode Queue::waitUntilIdle()
{
    if (!m_api)
        return ResultCode::ErrorDeviceLost;
    ApiQueue *queue = m_api->resourceManager()->getQueue(m_queue);
    return queue ? queue->waitUntilIdle() : ResultCode::ErrorDeviceLost;
}

ResultCode Queue::submit(const SubmitOptions &options)
{
    ApiQueue *queue = m_api ? m_api->resourceManager()->getQueue(m_queue) : nullptr;
    return queue ? queue->submit(options) : ResultCode::ErrorDeviceLost;
}

PresentResult Queue::present(const PresentOptions &options)
{
    ApiQueue *queue = m_api ? m_api->resourceManager()->getQueue(m_queue) : nullptr;
    return queue ? queue->present(options) : PresentResult::DeviceLost;
}

std::vector<PresentResult> Queue::lastPerSwapchainPresentResults() const
{
    ApiQueue *queue = m_api ? m_api->resourceManager()->getQueue(m_queue) : nullptr;
    return queue ? queue->lastPerSwapchainPresentResults() : std::vector<PresentResult>{};
}

} // namespace TbGpu
