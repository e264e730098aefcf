#pragma once

#include <Orvane/assets/render_state_set.h>

#include <TbGpu/graphics_pipeline.h>
#include <TbGpu/handle.h>
#include <TbGpu/pipeline_layout.h>
#include <TbGpu/pipeline_layout_options.h>
#include <TbGpu/vertex_options.h>

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace TbGpu {
class Device;
}

namespace Orvane {

class ShaderProgram;

namespace Render {

class ResourceDeleter;

// Everything a cached pipeline was made from. The 64-bit hash picks the bucket; equal hashes are confirmed by
// comparing the inputs, so two different inputs never share a pipeline. The program is known by its identity and
// by the shader modules of its current GPU record, which are made anew whenever the program changes.
struct PipelineKey {
    uint64_t hash{ 0 };
    std::optional<TbGpu::VertexOptions> vertexFormat;
    const ShaderProgram *program{ nullptr };
    std::vector<TbGpu::Handle<TbGpu::ShaderModule_t>> programModules;
    std::optional<RenderStateSet> renderStates;
    uint32_t viewCount{ 1 };
    uint32_t samples{ 1 };

    bool operator==(const PipelineKey &other) const;
};

struct PipelineKeyHash {
    std::size_t operator()(const PipelineKey &key) const noexcept { return std::size_t(key.hash); }
};

// The hash of a shader program: its identity.
uint64_t shaderProgramHash(const ShaderProgram *program);

// The key's hash: the vertex format's attributes and buffer layouts, then the program's hash, the render state
// set's hash and the view count, combined in that order.
uint64_t pipelineKeyHash(const TbGpu::VertexOptions *vertexFormat, const ShaderProgram *program,
                         const RenderStateSet *renderStates, uint32_t viewCount);

struct Pipeline {
    static constexpr int16_t FramesToLive = 10;

    TbGpu::GraphicsPipeline pipeline;
    TbGpu::Handle<TbGpu::PipelineLayout_t> layout; // shared through the pipeline layout cache
    std::vector<TbGpu::Handle<TbGpu::BindGroupLayout_t>> bindGroupLayouts;
    int16_t framesToLive{ FramesToLive };
};

// What a pipeline layout holds, by content: per set number its bindings as (binding, count, type, stages), then
// the push constant ranges as (offset, size, stages). Layouts made from equal descriptions are compatible, whichever
// program's bind group layouts they were made from.
struct PipelineLayoutDescription {
    std::vector<std::vector<std::array<uint32_t, 4>>> sets;
    std::vector<std::array<uint32_t, 3>> pushConstantRanges;

    bool operator==(const PipelineLayoutDescription &) const = default;
};

// Pipeline layouts shared by every pipeline whose program has equal bind group layouts and push constant ranges,
// counted by use.
class PipelineLayoutCache
{
public:
    struct Entry {
        TbGpu::PipelineLayoutOptions options;
        TbGpu::PipelineLayout layout;
        TbGpu::Handle<TbGpu::PipelineLayout_t> handle;
        int32_t useCount{ 0 };
        PipelineLayoutDescription description;
    };

    // The layout of an equal description (one more use), or a new one made from `options`.
    TbGpu::Handle<TbGpu::PipelineLayout_t> acquire(TbGpu::Device &device, const TbGpu::PipelineLayoutOptions &options,
                                                   const PipelineLayoutDescription &description);
    // One use less; the last use destroys the layout, through `deleter` when one is given (frames in flight may
    // still use it), at once otherwise.
    void release(const TbGpu::Handle<TbGpu::PipelineLayout_t> &handle, ResourceDeleter *deleter = nullptr);

    const std::vector<Entry> &entries() const noexcept { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

// Graphics pipelines by key, each living until it has not been asked for during FramesToLive frames.
class PipelineCache
{
public:
    using Map = std::unordered_map<PipelineKey, Pipeline, PipelineKeyHash>;

    // The cached pipeline (its life starts over), or null.
    Pipeline *find(const PipelineKey &key);
    Pipeline &insert(PipelineKey key, Pipeline pipeline);

    // Ages every pipeline by one frame; those that were not asked for in FramesToLive frames before are destroyed
    // at once (no frame in flight can still use them) and release their layouts.
    void cleanupUnused(PipelineLayoutCache &layouts);
    // Drops every pipeline, through `deleter` when one is given.
    void clear(PipelineLayoutCache &layouts, ResourceDeleter *deleter = nullptr);

    const Map &entries() const noexcept { return m_pipelines; }
    std::size_t size() const noexcept { return m_pipelines.size(); }

private:
    Map m_pipelines;
};

} // namespace Render
} // namespace Orvane
