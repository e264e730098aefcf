#pragma once

#include <Orvane/assets/mesh_renderer.h>
#include <Orvane/assets/render_state_set.h>
#include <Orvane/render/overlay.h>
#include <Orvane/render/render_algorithm.h>
#include <Orvane/render/stereo_frame_data.h>

#include <TbBindings/connection_handle.h>
#include <TbBindings/property.h>
#include <TbGpu/bind_group_layout.h>
#include <TbGpu/command_buffer.h>
#include <TbGpu/graphics_pipeline.h>
#include <TbGpu/pipeline_layout.h>
#include <TbGpu/sampler.h>
#include <TbGpu/texture.h>
#include <TbGpu/texture_view.h>

#include <glm/vec4.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Orvane {

class Material;
class StereoCamera;
struct ResourceFormat;

// Draws both eyes of a stereo camera in one multiview pass into a two-layer scene target (layer 0 the left eye,
// layer 1 the right), then, unless the layered image is presented as it is, composes the two layers into the
// present target: side by side, one eye, or as a red/cyan anaglyph.
class StereoForwardAlgorithm : public RenderAlgorithm
{
public:
    enum class StereoMode : uint32_t {
        SideBySide = 0,
        LeftEyeOnly = 1,
        RightEyeOnly = 2,
        Anaglyph = 3,
        MultiviewDirect = 4,
        // The left eye in the top half, the right eye in the bottom half (each squeezed to half the height).
        TopBottom = 5,
        // Red/cyan anaglyph through least-squares colour matrices: less retinal rivalry and ghosting than the
        // plain channel split of Anaglyph.
        AnaglyphLeastSquares = 6,
    };

    enum class SortMode : uint32_t {
        SortByMaterial = 0,
        SortBackToFront = 1,
        NoSort = 2,
    };

    // How a phase's layer mask is tested against an entity's mask M.
    enum class LayerFilter : uint32_t {
        AllBits = 0, // (mask & M) == mask
        AnyBit = 1, // (mask & M) != 0
        NoBit = 2, // (mask & M) == 0
        NotAllBits = 3, // (mask & M) != mask
    };

    struct RenderPhase {
        uint32_t layerMask{ 0 };
        SortMode sortMode{ SortMode::SortByMaterial };
        LayerFilter layerFilter{ LayerFilter::AllBits };
        RenderStateSet renderStates;
        bool frustumCulling{ false };
        bool operator==(const RenderPhase &) const = default;
    };

    // Whether a phase selects an entity with layer mask `entityMask`; an unknown filter selects nothing.
    static bool selects(const RenderPhase &phase, uint32_t entityMask);
    // The phase the algorithm starts with: every mesh renderer, sorted by material, depth tested and written.
    static RenderPhase defaultPhase();

    // Six 64-bit values: preparation time (ns), recording and submission time (ns), one left 0, overlay time (ns),
    // two left 0.
    using FrameTimings = std::array<uint64_t, 6>;
    static constexpr std::size_t TimingsRingSize = 10;

    struct MeshRendererEntry {
        MeshRenderer *meshRenderer{ nullptr };
        bool dirty{ true };
        Render::BindGroupCollection modelBindGroups;
        BoundingSphere boundingSphere;
        glm::mat4 worldMatrix{ 1.0f };
        ModelSlot modelSlot;
        std::vector<Render::Pipeline *> phasePipelines;
        uint32_t phaseMembership{ 0 };
    };

    struct RenderTargetEntry {
        TbGpu::Texture depthTexture;
        TbGpu::TextureView depthView;
        TbGpu::Texture multisampleTexture; // only when samples > 1
        TbGpu::TextureView multisampleView;
        RenderTarget *target{ nullptr };
        TbGpu::Device *device{ nullptr };
        uint32_t samples{ 1 };
        TbGpu::GraphicsPipeline nullPipeline;
        TbGpu::PipelineLayout nullPipelineLayout;
    };

    StereoForwardAlgorithm();
    ~StereoForwardAlgorithm() override;

    TbBindings::Property<glm::vec4> clearColor{ glm::vec4(0.2f, 0.2f, 0.2f, 1.0f) };
    TbBindings::Property<StereoCamera *> camera{ nullptr };
    TbBindings::Property<std::vector<AbstractOverlay *>> overlays;
    TbBindings::Property<std::vector<RenderPhase>> renderPhases{ std::vector<RenderPhase>{ defaultPhase() } };
    TbBindings::Property<uint64_t> sceneTargetIndex{ 0 };
    TbBindings::Property<uint64_t> presentTargetIndex{ 0 };
    TbBindings::Property<StereoMode> stereoMode{ StereoMode::SideBySide };
    // Composed modes show each eye where the other would be (cross-eyed viewing of side-by-side images).
    TbBindings::Property<bool> swapEyes{ false };
    // Averages over the last ten frames.
    TbBindings::Property<FrameTimings> frameTimings{ FrameTimings{} };

    void initializeResources() override;
    void releaseResources() override;
    void renderTargetCreated(RenderTarget *target) override;
    void renderTargetAboutToBeDestroyed(RenderTarget *target) override;
    void meshRendererAdded(MeshRenderer *meshRenderer) override;
    void meshRendererChanged(MeshRenderer *meshRenderer) override;
    void meshRendererRemoved(MeshRenderer *meshRenderer) override;
    // False while the scene or present target index names no live target (warned about once).
    bool canRender(uint32_t frameIndex) override;
    void prepareFrameData(uint32_t frameIndex) override;
    TbGpu::Handle<TbGpu::GpuSemaphore_t>
    renderFrame(uint32_t frameIndex, const std::vector<TbGpu::Handle<TbGpu::GpuSemaphore_t>> &waitSemaphores,
                TbGpu::Handle<TbGpu::Fence_t> signalFence) override;
    void postRender(uint32_t frameIndex) override;

    virtual void createGlobalBuffers();
    virtual void releaseGlobalBuffers();
    // Writes the model matrices, both eyes, the lights and the materials' generated bytes into their buffers.
    virtual void uploadFrameData(TbGpu::CommandRecorder &recorder, uint32_t frameIndex);

    // The entries in the order their mesh renderers were added.
    const std::vector<MeshRendererEntry> &meshRendererEntries() const noexcept { return m_entries; }
    const std::vector<RenderTargetEntry> &renderTargetEntries() const noexcept { return m_targetEntries; }
    const ModelBlockList &modelBlocks() const noexcept { return m_modelBlocks; }
    const EyeData &leftEye() const noexcept { return m_leftEye; }
    const EyeData &rightEye() const noexcept { return m_rightEye; }
    const TbGpu::Buffer &cameraBuffer() const noexcept { return m_cameraBuffer; }
    const TbGpu::Buffer &lightsBuffer() const noexcept { return m_lightsBuffer; }
    const std::unordered_map<TbGpu::Handle<TbGpu::PipelineLayout_t>, Render::BindGroupCollection> &
    cameraBindGroups() const noexcept
    {
        return m_cameraBindGroups;
    }
    const std::unordered_map<TbGpu::Handle<TbGpu::PipelineLayout_t>, Render::BindGroupCollection> &
    lightsBindGroups() const noexcept
    {
        return m_lightsBindGroups;
    }
    // The stereo mode the last recorded frame used: the requested one, or the layered image presented as it is
    // when the scene target is the present target (its images cannot be sampled while they are drawn into).
    StereoMode effectiveStereoMode() const;
    bool rebuildNeeded() const noexcept { return m_rebuildNeeded; }

    // The entries of phase `phaseIndex` in drawing order (the phase's sort applied), before culling.
    std::vector<const MeshRendererEntry *> phaseDrawOrder(std::size_t phaseIndex) const;
    // Whether frustum culling keeps an entry: its world bounding sphere is not wholly outside a plane of the left
    // eye.
    bool isInsideLeftFrustum(const MeshRendererEntry &entry) const;

protected:
    void createBindGroups(Render::BindGroupCollection &collection, const Material *material,
                          const ResourceFormat &format, const Render::StandardResourceType &type,
                          const TbGpu::Handle<TbGpu::Buffer_t> &buffer);
    void createMaterialBindGroups(const Material *material, const ResourceFormat &format);

private:
    using BindGroupMap = std::unordered_map<TbGpu::Handle<TbGpu::PipelineLayout_t>, Render::BindGroupCollection>;

    RenderTargetEntry *targetEntry(uint64_t index);
    void computeMembership(MeshRendererEntry &entry) const;
    void rebuild();
    void updateEntries(uint32_t frameIndex);
    void updateEntryPipelines(MeshRendererEntry &entry, RenderTargetEntry &scene);
    void maintainModelBlocks();
    void createMissingMaterialBindGroups();
    void updateLightPositions();
    void createCompositionResources(RenderTargetEntry &present);
    void rebuildCompositionBindGroups(RenderTargetEntry &scene);
    void releaseCompositionResources();
    void releaseOverlayRenderers();
    void recordScenePass(TbGpu::CommandRecorder &recorder, RenderTargetEntry &scene, uint32_t frameIndex);
    void drawPhase(TbGpu::RenderPassCommandRecorder &pass, std::size_t phaseIndex, const RenderTarget &target,
                   uint32_t frameIndex);
    void recordCompositionPass(TbGpu::CommandRecorder &recorder, RenderTargetEntry &present, uint32_t frameIndex);
    void recordComposition(TbGpu::RenderPassCommandRecorder &pass, const RenderTarget &present, uint32_t frameIndex);
    void warnOnce(const std::string &message);

    Render::ResourceDeleter &deleter() const;

    std::vector<MeshRendererEntry> m_entries;
    std::vector<RenderTargetEntry> m_targetEntries;
    ModelBlockList m_modelBlocks;
    TbGpu::Buffer m_cameraBuffer;
    TbGpu::Buffer m_lightsBuffer;
    BindGroupMap m_cameraBindGroups;
    BindGroupMap m_lightsBindGroups;
    EyeData m_leftEye;
    EyeData m_rightEye;

    TbGpu::BindGroupLayout m_compositionBindGroupLayout;
    TbGpu::PipelineLayout m_compositionPipelineLayout;
    TbGpu::GraphicsPipeline m_sideBySidePipeline;
    TbGpu::GraphicsPipeline m_anaglyphPipeline;
    TbGpu::Format m_compositionFormat{ TbGpu::Format::UNDEFINED };
    TbGpu::Sampler m_compositionSampler;
    std::vector<TbGpu::BindGroup> m_compositionBindGroups;
    std::vector<TbGpu::Handle<TbGpu::TextureView_t>> m_compositionSourceViews;

    std::vector<std::unique_ptr<OverlayRenderer>> m_overlayRenderers;
    std::array<TbGpu::CommandBuffer, MaxFramesInFlight> m_commandBuffers;
    bool m_rebuildNeeded{ true };
    std::vector<TbBindings::ConnectionHandle> m_propertyConnections;
    TbBindings::ConnectionHandle m_clearColorConnection;

    std::array<FrameTimings, TimingsRingSize> m_timingsRing{};
    std::size_t m_timingsPosition{ 0 };
    FrameTimings m_currentTimings{};
    std::vector<std::string> m_warnings; // said once each
};

} // namespace Orvane
