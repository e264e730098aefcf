#include <Orvane/render/pipeline_cache.h>

#include <Orvane/render/resource_deleter.h>

#include <TbGpu/device.h>

#include <algorithm>
#include <functional>
#include <string_view>

namespace Orvane::Render {

namespace {

void combine(uint64_t &seed, uint64_t value)
{
    seed ^= value + 0x9e3779b9 + (seed << 6) + (seed >> 2);
}

template<typename T>
uint64_t bytesHash(const T &value)
{
    return std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char *>(&value), sizeof(value)));
}

} // namespace

bool PipelineKey::operator==(const PipelineKey &other) const
{
    return hash == other.hash && viewCount == other.viewCount && samples == other.samples && program == other.program &&
            programModules == other.programModules && vertexFormat == other.vertexFormat &&
            renderStates == other.renderStates;
}

uint64_t shaderProgramHash(const ShaderProgram *program)
{
    return std::hash<const void *>{}(program);
}

uint64_t pipelineKeyHash(const TbGpu::VertexOptions *vertexFormat, const ShaderProgram *program,
                         const RenderStateSet *renderStates, uint32_t viewCount)
{
    uint64_t key = 0;
    if (vertexFormat) {
        uint64_t seed = 0;
        // Field by field: the records' padding bytes are not part of their values.
        for (const TbGpu::VertexAttribute &attribute : vertexFormat->attributes) {
            uint64_t record = 0;
            for (uint64_t field : { uint64_t(attribute.location), uint64_t(attribute.binding),
                                    uint64_t(attribute.format), attribute.offset })
                combine(record, bytesHash(field));
            combine(seed, record);
        }
        for (const TbGpu::VertexBufferLayout &layout : vertexFormat->buffers) {
            uint64_t record = 0;
            for (uint64_t field : { uint64_t(layout.binding), uint64_t(layout.stride), uint64_t(layout.inputRate) })
                combine(record, bytesHash(field));
            combine(seed, record);
        }
        key = std::hash<uint64_t>{}(seed) + 0x9e3779b9;
    }
    if (program)
        combine(key, shaderProgramHash(program));
    if (renderStates)
        combine(key, renderStates->hash());
    combine(key, viewCount);
    return key;
}

TbGpu::Handle<TbGpu::PipelineLayout_t> PipelineLayoutCache::acquire(TbGpu::Device &device,
                                                                    const TbGpu::PipelineLayoutOptions &options,
                                                                    const PipelineLayoutDescription &description)
{
    for (Entry &entry : m_entries) {
        if (entry.description == description) {
            ++entry.useCount;
            return entry.handle;
        }
    }
    Entry entry;
    entry.options = options;
    entry.description = description;
    entry.layout = device.createPipelineLayout(options);
    entry.handle = entry.layout.handle();
    entry.useCount = 1;
    m_entries.push_back(std::move(entry));
    return m_entries.back().handle;
}

void PipelineLayoutCache::release(const TbGpu::Handle<TbGpu::PipelineLayout_t> &handle, ResourceDeleter *deleter)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&handle](const Entry &entry) { return entry.handle == handle; });
    if (it == m_entries.end() || --it->useCount > 0)
        return;
    if (deleter)
        deleter->currentBatch().pipelineLayouts.push_back(std::move(it->layout));
    m_entries.erase(it);
}

Pipeline *PipelineCache::find(const PipelineKey &key)
{
    const auto it = m_pipelines.find(key);
    if (it == m_pipelines.end())
        return nullptr;
    it->second.framesToLive = Pipeline::FramesToLive;
    return &it->second;
}

Pipeline &PipelineCache::insert(PipelineKey key, Pipeline pipeline)
{
    pipeline.framesToLive = Pipeline::FramesToLive;
    return m_pipelines.insert_or_assign(std::move(key), std::move(pipeline)).first->second;
}

void PipelineCache::cleanupUnused(PipelineLayoutCache &layouts)
{
    for (auto it = m_pipelines.begin(); it != m_pipelines.end();) {
        if (it->second.framesToLive > 0) {
            --it->second.framesToLive;
            ++it;
            continue;
        }
        const TbGpu::Handle<TbGpu::PipelineLayout_t> layout = it->second.layout;
        it = m_pipelines.erase(it);
        layouts.release(layout);
    }
}

void PipelineCache::clear(PipelineLayoutCache &layouts, ResourceDeleter *deleter)
{
    for (auto &[key, pipeline] : m_pipelines) {
        if (deleter && pipeline.pipeline.isValid())
            deleter->currentBatch().graphicsPipelines.push_back(std::move(pipeline.pipeline));
        layouts.release(pipeline.layout, deleter);
    }
    m_pipelines.clear();
}

} // namespace Orvane::Render
