#include <Orvane/render/render_algorithm.h>

#include <Orvane/assets/render_state_set.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/core/entity.h>
#include <Orvane/render/render_states.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/storages/shader_program_storage.h>

#include <TbFoundation/logging.h>
#include <TbGpu/adapter.h>
#include <TbGpu/graphics_pipeline_options.h>

namespace Orvane {

namespace {

constexpr RenderAlgorithm::SamplesCount sampleCandidates[] = {
    RenderAlgorithm::SamplesCount::Samples64, RenderAlgorithm::SamplesCount::Samples32,
    RenderAlgorithm::SamplesCount::Samples16, RenderAlgorithm::SamplesCount::Samples8,
    RenderAlgorithm::SamplesCount::Samples4,  RenderAlgorithm::SamplesCount::Samples2,
};

bool isSupported(RenderAlgorithm::SamplesCount count, TbGpu::SampleCountFlags supported)
{
    return (supported.toInt() & uint32_t(count)) != 0;
}

TbGpu::GraphicsPipelineOptions defaultPipelineOptions(RenderAlgorithm::SamplesCount samples)
{
    TbGpu::GraphicsPipelineOptions options;
    options.primitive.topology = TbGpu::PrimitiveTopology::TriangleList;
    options.primitive.primitiveRestart = false;
    options.primitive.cullMode = TbGpu::CullModeFlagBits::None;
    options.primitive.frontFace = TbGpu::FrontFace::CounterClockwise;
    options.primitive.polygonMode = TbGpu::PolygonMode::Fill;
    options.primitive.lineWidth = 1.0f;
    options.multisample.samples = TbGpu::SampleCountFlagBits(samples);
    options.multisample.sampleMasks = { 0xFFFFFFFFu };
    options.multisample.alphaToCoverageEnabled = false;
    options.depthStencil.format = TbGpu::Format::UNDEFINED;
    options.depthStencil.depthTestEnabled = true;
    options.depthStencil.depthWritesEnabled = false;
    options.depthStencil.depthCompareOperation = TbGpu::CompareOperation::Always;
    options.depthStencil.stencilTestEnabled = false;
    return options;
}

void applyRenderStates(const RenderStateSet &states, TbGpu::GraphicsPipelineOptions &options)
{
    if (const auto *primitive = states.state<PrimitiveState>()) {
        options.primitive.topology = primitive->topology;
        options.primitive.primitiveRestart = primitive->primitiveRestart;
        options.primitive.cullMode = primitive->cullMode;
        options.primitive.frontFace = primitive->frontFace;
        options.primitive.polygonMode = primitive->polygonMode;
        options.primitive.lineWidth = primitive->lineWidth;
    }
    if (const auto *multisample = states.state<MultisampleState>())
        options.multisample.alphaToCoverageEnabled = multisample->alphaToCoverageEnabled;
    if (const auto *depthStencil = states.state<DepthStencilState>()) {
        options.depthStencil.format = depthStencil->format;
        options.depthStencil.depthTestEnabled = depthStencil->depthTestEnabled;
        options.depthStencil.depthWritesEnabled = depthStencil->depthWritesEnabled;
        options.depthStencil.depthCompareOperation = depthStencil->depthCompareOperation;
        options.depthStencil.stencilTestEnabled = depthStencil->stencilTestEnabled;
    }
    if (const auto *colorBlend = states.state<ColorBlendState>()) {
        for (const ColorBlendAttachmentState &attachment : colorBlend->attachments) {
            TbGpu::RenderTargetOptions target;
            target.format = attachment.format;
            target.writeMask = attachment.writeMask;
            target.blending.blendingEnabled = attachment.blendingEnabled;
            target.blending.color = { attachment.colorOperation, attachment.colorSrcFactor, attachment.colorDstFactor };
            target.blending.alpha = { attachment.alphaOperation, attachment.alphaSrcFactor, attachment.alphaDstFactor };
            options.renderTargets.push_back(target);
        }
    }
}

std::vector<TbGpu::PushConstantRange> pushConstantRanges(const ResourceFormat &format)
{
    std::vector<TbGpu::PushConstantRange> ranges;
    for (const PushConstantRange &range : format.pushConstantRanges)
        ranges.push_back({ range.offset, range.size, TbGpu::ShaderStageFlags::fromInt(range.stages) });
    return ranges;
}

// The record's layouts by content: one entry per set number, as its bind group layouts are made.
Render::PipelineLayoutDescription layoutDescription(const ShaderProgramRecord &record)
{
    Render::PipelineLayoutDescription description;
    description.sets.resize(record.bindGroupLayoutHandles.size());
    for (const ResourceSet &set : record.resourceFormat.sets) {
        if (set.set >= description.sets.size())
            continue;
        for (const ResourceBinding &binding : set.bindings)
            description.sets[set.set].push_back({ binding.binding, binding.count, binding.type, binding.stages });
    }
    for (const PushConstantRange &range : record.resourceFormat.pushConstantRanges)
        description.pushConstantRanges.push_back({ range.offset, range.size, range.stages });
    return description;
}

std::vector<TbGpu::Handle<TbGpu::ShaderModule_t>> moduleHandles(const ShaderProgramRecord &record)
{
    std::vector<TbGpu::Handle<TbGpu::ShaderModule_t>> handles;
    for (const ShaderProgramRecord::Module &module : record.modules)
        handles.push_back(module.module.handle());
    return handles;
}

} // namespace

RenderAlgorithm::RenderAlgorithm()
    : m_logger(TbFoundation::getOrCreateLogger("render algorithm", spdlog::level::debug))
    , m_timingsLogger(TbFoundation::getOrCreateLogger("render algorithm - timings", spdlog::level::debug))
{
    setObjectName("Render Algorithm");
    samples.valueChanged().connect([this](const SamplesCount &) { guardSamples(); });
}

RenderAlgorithm::~RenderAlgorithm()
{
    cleanupPipelines();
}

void RenderAlgorithm::rootEntityChanged(Entity *, Entity *newRoot)
{
    if (!newRoot)
        return;
    auto program = std::make_unique<SpirVShaderProgram>();
    program->setObjectName("Forward Algorithm Null Shader");
    program->vertexShader = std::string(ORVANE_ASSETS_DIR) + "/shaders/null.vert.spv";
    program->fragmentShader = std::string(ORVANE_ASSETS_DIR) + "/shaders/null.frag.spv";
    nullShaderProgram = newRoot->addChild(std::move(program));
    if (renderer)
        renderer->shaderProgramStorage().add(nullShaderProgram);
}

void RenderAlgorithm::rootEntityAboutToChange(Entity *, Entity *)
{
    nullShaderProgram = nullptr;
}

void RenderAlgorithm::createFrameResources()
{
    for (TbGpu::GpuSemaphore &semaphore : renderCompleteSemaphores)
        semaphore = renderer->device().createGpuSemaphore();
}

void RenderAlgorithm::releaseFrameResources()
{
    for (TbGpu::GpuSemaphore &semaphore : renderCompleteSemaphores)
        semaphore = {};
}

TbGpu::SampleCountFlags RenderAlgorithm::supportedSampleCounts() const
{
    if (!renderer || !renderer->device().adapter())
        return TbGpu::SampleCountFlagBits::Samples1Bit;
    return renderer->device().adapter()->properties().limits.framebufferColorSampleCounts;
}

RenderAlgorithm::SamplesCount RenderAlgorithm::negotiatedSamples(SamplesCount requested,
                                                                 TbGpu::SampleCountFlags supported)
{
    for (SamplesCount candidate : sampleCandidates) {
        if (uint32_t(candidate) <= uint32_t(requested) && isSupported(candidate, supported))
            return candidate;
    }
    // Nothing above one sample fits: one sample is always supported.
    return SamplesCount::Samples1;
}

void RenderAlgorithm::negotiateSamples()
{
    if (samples.get() == SamplesCount::Samples1)
        return;
    const SamplesCount negotiated = negotiatedSamples(samples.get(), supportedSampleCounts());
    if (negotiated != samples.get())
        samples = negotiated; // throws ReadOnlyProperty while bound
}

void RenderAlgorithm::guardSamples()
{
    if (!m_acceptedSamples || m_restoringSamples)
        return;
    if (isSupported(samples.get(), supportedSampleCounts())) {
        m_acceptedSamples = samples.get();
        return;
    }
    if (samples.isReadOnly()) {
        SPDLOG_LOGGER_WARN(m_logger, "Unsupported sample count {} comes from a binding", uint32_t(samples.get()));
        return;
    }
    m_restoringSamples = true;
    samples = *m_acceptedSamples;
    m_restoringSamples = false;
}

void RenderAlgorithm::initialize()
{
    createFrameResources();
    negotiateSamples();
    m_acceptedSamples = samples.get();
    initializeResources();
    for (MeshRenderer *meshRenderer : renderer->activeMeshRenderers())
        meshRendererAdded(meshRenderer);
}

void RenderAlgorithm::teardown()
{
    releaseResources();
    cleanupPipelines();
    releaseFrameResources();
    m_acceptedSamples.reset();
}

void RenderAlgorithm::logIncompatibleVertexFormat(const TbGpu::VertexOptions *vertexFormat, ShaderProgram *program)
{
    SPDLOG_LOGGER_CRITICAL(m_logger, "Incompatible mesh vertex format and shaderProgram");
    SPDLOG_LOGGER_WARN(m_logger, "VertexFormat:");
    SPDLOG_LOGGER_WARN(m_logger, "    VertexAttributes:");
    if (vertexFormat) {
        for (const TbGpu::VertexAttribute &a : vertexFormat->attributes)
            SPDLOG_LOGGER_WARN(m_logger, "        VertexAttribute (location: {}, binding: {}, format: {}, offset: {})",
                               a.location, a.binding, uint32_t(a.format), a.offset);
    }
    SPDLOG_LOGGER_WARN(m_logger, "    VertexBufferLayouts:");
    if (vertexFormat) {
        for (const TbGpu::VertexBufferLayout &b : vertexFormat->buffers)
            SPDLOG_LOGGER_WARN(m_logger, "        Binding (binding: {}, stride: {}, rate: {})", b.binding, b.stride,
                               uint32_t(b.inputRate));
    }
    program->dump();
}

std::optional<Render::Pipeline> RenderAlgorithm::createPipeline(const TbGpu::VertexOptions *vertexFormat,
                                                                ShaderProgram *program,
                                                                const RenderStateSet *renderStates, uint32_t viewCount)
{
    if (program && !program->isCompatibleWithVertexFormat(vertexFormat))
        logIncompatibleVertexFormat(vertexFormat, program);
    const ShaderProgramRecord *record = program ? renderer->shaderProgramStorage().find(program) : nullptr;
    if (!record) {
        // Building it with no stages would make a broken pipeline; the program arrives with the next scene sync.
        SPDLOG_LOGGER_DEBUG(m_logger, "No GPU record yet for the shader program of a pipeline; trying again later");
        return std::nullopt;
    }

    TbGpu::GraphicsPipelineOptions options = defaultPipelineOptions(samples.get());
    if (renderStates)
        applyRenderStates(*renderStates, options);

    Render::Pipeline result;
    options.layout = pipelineLayouts.acquire(
            renderer->device(), { record->bindGroupLayoutHandles, pushConstantRanges(record->resourceFormat) },
            layoutDescription(*record));
    result.layout = options.layout;
    result.bindGroupLayouts = record->bindGroupLayoutHandles;
    for (const ShaderProgramRecord::Module &module : record->modules)
        options.shaderStages.push_back({ module.module.handle(), module.stage, "main" });
    if (vertexFormat)
        options.vertex = *vertexFormat;
    options.viewCount = viewCount;

    result.pipeline = renderer->device().createGraphicsPipeline(options);
    if (!result.pipeline.isValid()) {
        pipelineLayouts.release(result.layout);
        return std::nullopt;
    }
    result.framesToLive = Render::Pipeline::FramesToLive;
    return result;
}

Render::Pipeline *RenderAlgorithm::pipeline(const TbGpu::VertexOptions *vertexFormat, ShaderProgram *program,
                                            const RenderStateSet *renderStates, uint32_t viewCount)
{
    const ShaderProgramRecord *record = program ? renderer->shaderProgramStorage().find(program) : nullptr;
    Render::PipelineKey key;
    key.hash = Render::pipelineKeyHash(vertexFormat, program, renderStates, viewCount);
    if (vertexFormat)
        key.vertexFormat = *vertexFormat;
    key.program = program;
    if (record)
        key.programModules = moduleHandles(*record);
    if (renderStates)
        key.renderStates = *renderStates;
    key.viewCount = viewCount;
    key.samples = uint32_t(samples.get());

    if (Render::Pipeline *cached = pipelines.find(key))
        return cached;
    std::optional<Render::Pipeline> created = createPipeline(vertexFormat, program, renderStates, viewCount);
    if (!created)
        return nullptr;
    return &pipelines.insert(std::move(key), std::move(*created));
}

void RenderAlgorithm::cleanupPipelines()
{
    pipelines.clear(pipelineLayouts, renderer ? renderer->resourceDeleter() : nullptr);
}

void RenderAlgorithm::cleanupUnusedPipelines()
{
    pipelines.cleanupUnused(pipelineLayouts);
}

} // namespace Orvane
