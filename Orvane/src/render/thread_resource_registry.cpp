#include <Orvane/render/thread_resource_registry.h>

#include <Orvane/core/task_executor.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/staging_buffer_pool.h>

namespace Orvane {

ThreadResourceRegistry::ThreadResourceRegistry(TbGpu::Device *device, TaskExecutor *executor)
    : m_device(device)
    , m_executor(executor)
{
}

ThreadResourceRegistry::~ThreadResourceRegistry()
{
    releaseAll();
    std::lock_guard lock(m_lock);
    // Pools hand their blocks to their deleters, so they go first.
    m_stagingPools.clear();
    m_deleters.clear();
}

std::size_t ThreadResourceRegistry::currentSlot() const
{
    return m_executor ? m_executor->currentWorkerIndex() : 0;
}

void ThreadResourceRegistry::registerCurrentThread()
{
    const std::size_t slot = currentSlot();
    std::lock_guard lock(m_lock);
    const std::size_t size = std::max<std::size_t>(slot + 1, 1);
    if (m_deleters.size() < size)
        m_deleters.resize(size);
    if (m_stagingPools.size() < size)
        m_stagingPools.resize(size);
    // The old pool returns its blocks to the old deleter, which then destroys everything at once.
    m_stagingPools[slot].reset();
    if (m_deleters[slot])
        m_deleters[slot]->deleteAll();
    m_deleters[slot] = std::make_unique<Render::ResourceDeleter>(m_device);
    m_stagingPools[slot] = std::make_unique<StagingBufferPool>(m_device, m_deleters[slot].get());
}

Render::ResourceDeleter *ThreadResourceRegistry::resourceDeleter() const
{
    const std::size_t slot = currentSlot();
    std::lock_guard lock(m_lock);
    return slot < m_deleters.size() ? m_deleters[slot].get() : nullptr;
}

StagingBufferPool *ThreadResourceRegistry::stagingBufferPool() const
{
    const std::size_t slot = currentSlot();
    std::lock_guard lock(m_lock);
    return slot < m_stagingPools.size() ? m_stagingPools[slot].get() : nullptr;
}

void ThreadResourceRegistry::releaseCompletedResources()
{
    if (Render::ResourceDeleter *deleter = resourceDeleter())
        deleter->destroyCompletedBatches();
}

void ThreadResourceRegistry::endFrame()
{
    std::lock_guard lock(m_lock);
    for (auto &deleter : m_deleters) {
        if (deleter)
            deleter->advanceFrame();
    }
    for (auto &pool : m_stagingPools) {
        if (pool)
            pool->trim();
    }
}

void ThreadResourceRegistry::releaseAll()
{
    std::lock_guard lock(m_lock);
    for (auto &pool : m_stagingPools) {
        if (pool)
            pool->releaseBlocks();
    }
    for (auto &deleter : m_deleters) {
        if (deleter)
            deleter->deleteAll();
    }
}

} // namespace Orvane
