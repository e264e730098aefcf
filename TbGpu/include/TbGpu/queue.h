#pragma once

#include <TbGpu/device_options.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>
#include <TbGpu/submit_options.h>
#include <TbGpu/swapchain_options.h>

#include <vector>

namespace TbGpu {

class GraphicsApi;

// One queue of a device. Queue records live as long as the manager; a Queue deletes nothing.
class Queue
{
public:
    Queue() = default;
    Queue(GraphicsApi *api, const Handle<Device_t> &device, const QueueDescription &description);
    ~Queue() = default;

    Queue(Queue &&other) noexcept;
    Queue &operator=(Queue &&other) noexcept;
    Queue(const Queue &) = delete;
    Queue &operator=(const Queue &) = delete;

    const Handle<Queue_t> &handle() const noexcept { return m_queue; }
    bool isValid() const noexcept { return m_queue.isValid(); }

    QueueFlags flags() const noexcept { return m_flags; }
    uint32_t timestampValidBits() const noexcept { return m_timestampValidBits; }
    Extent3D minImageTransferGranularity() const noexcept { return m_minImageTransferGranularity; }
    uint32_t queueTypeIndex() const noexcept { return m_queueTypeIndex; }

    ResultCode waitUntilIdle();
    ResultCode submit(const SubmitOptions &options);
    PresentResult present(const PresentOptions &options);
    // One result per swapchain of the last present, in its order.
    std::vector<PresentResult> lastPerSwapchainPresentResults() const;

private:
    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<Queue_t> m_queue;
    QueueFlags m_flags;
    uint32_t m_timestampValidBits{ 0 };
    Extent3D m_minImageTransferGranularity{ 0, 0, 0 };
    uint32_t m_queueTypeIndex{ 0 };
};

} // namespace TbGpu
