#pragma once

#include <Orvane/render/frames_in_flight.h>
#include <Orvane/render/pipeline_cache.h>
#include <Orvane/render/render_target_reference.h>

#include <TbBindings/property.h>
#include <TbFoundation/object.h>
#include <TbGpu/adapter_properties.h>
#include <TbGpu/gpu_semaphore.h>
#include <TbGpu/handle.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class Entity;
class MeshRenderer;
class RenderStateSet;
class RenderTarget;
class Renderer;
class ShaderProgram;

// The strategy the renderer drives every frame: it names the render targets it wants, hears about targets and
// mesh renderers as they come and go, prepares and records frames and submits them. The base holds what every
// algorithm shares: the sample count and its negotiation with the adapter, the render-complete semaphores of the
// two frame slots, the fallback ("null") shader program and the pipeline caches.
class RenderAlgorithm : public TbFoundation::Object
{
public:
    enum class SamplesCount : uint32_t {
        Samples1 = 1,
        Samples2 = 2,
        Samples4 = 4,
        Samples8 = 8,
        Samples16 = 16,
        Samples32 = 32,
        Samples64 = 64,
    };

    RenderAlgorithm();
    ~RenderAlgorithm() override;

    TbBindings::Property<SamplesCount> samples{ SamplesCount::Samples1 };
    TbBindings::Property<std::vector<RenderTargetReference>> renderTargetRefs;

    virtual void initializeResources() { }
    virtual void releaseResources() { }
    // Creates the null shader program under the new root and adds it to the shader program storage at once.
    virtual void rootEntityChanged(Entity *oldRoot, Entity *newRoot);
    // Forgets the null shader program (the old root destroys it).
    virtual void rootEntityAboutToChange(Entity *oldRoot, Entity *newRoot);
    virtual void renderTargetCreated(RenderTarget *) { }
    virtual void renderTargetAboutToBeDestroyed(RenderTarget *) { }
    virtual void meshRendererAdded(MeshRenderer *) { }
    virtual void meshRendererChanged(MeshRenderer *) { }
    virtual void meshRendererRemoved(MeshRenderer *) { }
    virtual bool canRender(uint32_t frameIndex) = 0;
    virtual void prepareFrameData(uint32_t frameIndex) = 0;
    // Records and submits the frame, waiting on `waitSemaphores` and signalling `signalFence`; returns the
    // semaphore its work signals when it completes.
    virtual TbGpu::Handle<TbGpu::GpuSemaphore_t>
    renderFrame(uint32_t frameIndex, const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores,
                TbGpu::Handle<TbGpu::Fence_t> signalFence) = 0;
    virtual void postRender(uint32_t frameIndex) = 0;
    virtual void createFrameResources();
    virtual void releaseFrameResources();

    // The cached pipeline for these inputs, made on a miss. Null while the program has no GPU record yet (it is
    // added by the next scene sync): the caller asks again next frame.
    Render::Pipeline *pipeline(const TbGpu::VertexOptions *vertexFormat, ShaderProgram *program,
                               const RenderStateSet *renderStates, uint32_t viewCount);
    // An uncached pipeline; none without the program's GPU record.
    std::optional<Render::Pipeline> createPipeline(const TbGpu::VertexOptions *vertexFormat, ShaderProgram *program,
                                                   const RenderStateSet *renderStates, uint32_t viewCount);
    void cleanupPipelines();
    void cleanupUnusedPipelines();

    // Run by the renderer when the algorithm is installed (after its targets exist) and when it is removed.
    void initialize();
    void teardown();

    // The adapter's sample counts for colour attachments.
    TbGpu::SampleCountFlags supportedSampleCounts() const;
    // The count negotiation settles on for `requested`: the largest supported count not above it, 1 when none.
    static SamplesCount negotiatedSamples(SamplesCount requested, TbGpu::SampleCountFlags supported);

    Renderer *renderer{ nullptr };
    ShaderProgram *nullShaderProgram{ nullptr };
    std::array<TbGpu::GpuSemaphore, MaxFramesInFlight> renderCompleteSemaphores;
    Render::PipelineCache pipelines;
    Render::PipelineLayoutCache pipelineLayouts;

protected:
    std::shared_ptr<spdlog::logger> m_logger;
    std::shared_ptr<spdlog::logger> m_timingsLogger;

private:
    void negotiateSamples();
    void guardSamples();
    void logIncompatibleVertexFormat(const TbGpu::VertexOptions *vertexFormat, ShaderProgram *program);

    std::optional<SamplesCount> m_acceptedSamples; // set once the guard is on
    bool m_restoringSamples{ false };
};

} // namespace Orvane
