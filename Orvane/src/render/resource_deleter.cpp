#include <Orvane/render/resource_deleter.h>

#include <spdlog/spdlog.h>

namespace Orvane::Render {

bool DeletionBatch::empty() const noexcept
{
    return pipelineLayouts.empty() && graphicsPipelines.empty() && samplers.empty() && textureViews.empty() &&
            textures.empty() && bindGroups.empty() && buffers.empty();
}

ResourceDeleter::ResourceDeleter(TbGpu::Device *device)
    : m_device(device)
{
}

ResourceDeleter::~ResourceDeleter()
{
    deleteAll();
}

DeletionBatch &ResourceDeleter::currentBatch()
{
    const uint64_t frame = frameNumber();
    if (m_batches.empty() || m_batches.back().frameNumber != frame) {
        DeletionBatch batch;
        batch.frameNumber = frame;
        batch.stillReferenced.fill(true);
        m_batches.push_back(std::move(batch));
    }
    return m_batches.back();
}

void ResourceDeleter::destroyResources(DeletionBatch &batch)
{
    if (!m_deletingAll) {
        for (bool referenced : batch.stillReferenced) {
            if (referenced) {
                SPDLOG_WARN("Deleting resources scheduled in frame {} which are still potentially referenced",
                            batch.frameNumber);
                break;
            }
        }
    }
    batch.buffers.clear();
    batch.bindGroups.clear();
    batch.textures.clear();
    batch.textureViews.clear();
    batch.samplers.clear();
    batch.graphicsPipelines.clear();
    batch.pipelineLayouts.clear();
}

void ResourceDeleter::deleteAll()
{
    m_deletingAll = true;
    for (DeletionBatch &batch : m_batches)
        destroyResources(batch);
    m_deletingAll = false;
    m_batches.clear();
}

void ResourceDeleter::destroyCompletedBatches()
{
    const uint64_t frame = frameNumber();
    if (frame + 1 >= MaxFramesInFlight)
        m_completedFrameNumber = std::max(m_completedFrameNumber, frame + 1 - MaxFramesInFlight);
    // Batches are in frame order: stop at the first one a frame in flight may still read.
    while (!m_batches.empty() && m_batches.front().frameNumber < m_completedFrameNumber) {
        DeletionBatch &batch = m_batches.front();
        batch.stillReferenced.fill(false);
        destroyResources(batch);
        m_batches.pop_front();
    }
}

} // namespace Orvane::Render
