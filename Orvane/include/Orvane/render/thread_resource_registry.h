#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace TbGpu {
class Device;
}

namespace Orvane {

class StagingBufferPool;
class TaskExecutor;

namespace Render {
class ResourceDeleter;
}

// The deferred deleter and the staging pool of each thread that renders, found by the task executor's worker
// index of the calling thread (0 for threads that are not its workers). Registration and the end-of-frame pass
// are serialised by one lock; each deleter and pool is then used by its own thread only. The registry owns them:
// they go, flushed, with the registry, which the renderer destroys before its device.
class ThreadResourceRegistry
{
public:
    ThreadResourceRegistry(TbGpu::Device *device, TaskExecutor *executor);
    ~ThreadResourceRegistry(); // releaseAll()

    ThreadResourceRegistry(const ThreadResourceRegistry &) = delete;
    ThreadResourceRegistry &operator=(const ThreadResourceRegistry &) = delete;

    // Gives the calling thread a new deleter and staging pool; a previous pair of that thread is flushed first.
    void registerCurrentThread();

    // The calling thread's deleter and pool; null before it registered.
    Render::ResourceDeleter *resourceDeleter() const;
    StagingBufferPool *stagingBufferPool() const;

    // After the wait for the fence of the slot about to be reused: the calling thread's objects that no frame in
    // flight can read any more are destroyed.
    void releaseCompletedResources();
    // After a rendered frame: every deleter's frame number moves on and every staging pool is trimmed.
    void endFrame();
    // Every pool's blocks go to its deleter, then every deleter destroys everything it holds.
    void releaseAll();

    std::size_t currentSlot() const;

private:
    TbGpu::Device *m_device{ nullptr };
    TaskExecutor *m_executor{ nullptr };
    std::vector<std::unique_ptr<Render::ResourceDeleter>> m_deleters;
    std::vector<std::unique_ptr<StagingBufferPool>> m_stagingPools;
    mutable std::mutex m_lock;
};

} // namespace Orvane
