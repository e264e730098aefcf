#pragma once

#include <Orvane/render/frames_in_flight.h>

#include <TbGpu/bind_group.h>
#include <TbGpu/buffer.h>
#include <TbGpu/graphics_pipeline.h>
#include <TbGpu/pipeline_layout.h>
#include <TbGpu/sampler.h>
#include <TbGpu/texture.h>
#include <TbGpu/texture_view.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

namespace TbGpu {
class Device;
}

namespace Orvane::Render {

// GPU objects retired during one frame. The batch owns them: destroying it releases their GPU resources.
struct DeletionBatch {
    uint64_t frameNumber{ 0 };
    // One flag per frame in flight that may still read the objects; cleared once that frame has completed.
    std::array<bool, MaxFramesInFlight> stillReferenced{};
    std::vector<TbGpu::PipelineLayout> pipelineLayouts;
    std::vector<TbGpu::GraphicsPipeline> graphicsPipelines;
    std::vector<TbGpu::Sampler> samplers;
    std::vector<TbGpu::TextureView> textureViews;
    std::vector<TbGpu::Texture> textures;
    std::vector<TbGpu::BindGroup> bindGroups;
    std::vector<TbGpu::Buffer> buffers;

    bool empty() const noexcept;
};

// Keeps GPU objects alive until no frame in flight can use them any more. Whoever releases an object that a
// submitted frame may still read moves it into currentBatch() instead of destroying it. A batch made during frame
// N may be read by frames N - 1 and N; it is destroyed once both have completed, that is once the frame number has
// reached N + MaxFramesInFlight and the fence of the slot about to be reused has been waited on
// (destroyCompletedBatches). Used by one thread only; only the frame number moves on from elsewhere.
class ResourceDeleter
{
public:
    explicit ResourceDeleter(TbGpu::Device *device);
    ~ResourceDeleter(); // deleteAll()

    ResourceDeleter(const ResourceDeleter &) = delete;
    ResourceDeleter &operator=(const ResourceDeleter &) = delete;

    // The batch of the current frame number, started when the newest batch belongs to an earlier frame.
    DeletionBatch &currentBatch();

    // Destroys the batch's objects: buffers, bind groups, textures, texture views, samplers, pipelines, pipeline
    // layouts, in that order. Outside deleteAll a batch that frames may still reference is reported.
    void destroyResources(DeletionBatch &batch);
    // Destroys every batch now (the flush points: renderer shutdown, replacement of the deleter).
    void deleteAll();

    // Called right after the CPU waited for the fence of the frame slot it is about to reuse: every frame before
    // frameNumber() - MaxFramesInFlight + 1 has completed, so the batches of those frames go.
    void destroyCompletedBatches();

    // Every frame numbered below this one has completed on the GPU (as far as this deleter was told).
    uint64_t completedFrameNumber() const noexcept { return m_completedFrameNumber; }

    uint64_t frameNumber() const noexcept { return m_frameNumber.load(std::memory_order_acquire); }
    void advanceFrame() noexcept { m_frameNumber.fetch_add(1, std::memory_order_acq_rel); }

    const std::deque<DeletionBatch> &batches() const noexcept { return m_batches; }
    TbGpu::Device *device() const noexcept { return m_device; }

private:
    TbGpu::Device *m_device{ nullptr };
    std::atomic<uint64_t> m_frameNumber{ 0 };
    uint64_t m_completedFrameNumber{ 0 };
    std::deque<DeletionBatch> m_batches;
    bool m_deletingAll{ false };
};

} // namespace Orvane::Render
