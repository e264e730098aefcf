#include <Orvane/render/storages/shader_program_storage.h>

#include <Orvane/assets/shader_program.h>
#include <Orvane/render/renderer.h>

#include <TbFoundation/logging.h>
#include <TbGpu/device.h>

namespace Orvane {

namespace {

struct StageCode {
    ShaderProgram::Stage stage;
    TbGpu::ShaderStageFlagBits flag;
};

constexpr StageCode stageOrder[] = {
    { ShaderProgram::Stage::Vertex, TbGpu::ShaderStageFlagBits::VertexBit },
    { ShaderProgram::Stage::TessellationControl, TbGpu::ShaderStageFlagBits::TessellationControlBit },
    { ShaderProgram::Stage::TessellationEvaluation, TbGpu::ShaderStageFlagBits::TessellationEvaluationBit },
    { ShaderProgram::Stage::Geometry, TbGpu::ShaderStageFlagBits::GeometryBit },
    { ShaderProgram::Stage::Fragment, TbGpu::ShaderStageFlagBits::FragmentBit },
    { ShaderProgram::Stage::Compute, TbGpu::ShaderStageFlagBits::ComputeBit },
};

TbGpu::BindGroupLayoutOptions layoutOptions(const ResourceSet &set)
{
    TbGpu::BindGroupLayoutOptions options;
    for (const ResourceBinding &binding : set.bindings) {
        options.bindings.push_back({ binding.binding, binding.count, TbGpu::ResourceBindingType(binding.type),
                                     TbGpu::ShaderStageFlags::fromInt(binding.stages) });
    }
    return options;
}

void destroyGpuObjects(ShaderProgramRecord &record)
{
    record.bindGroupLayouts.clear();
    record.bindGroupLayoutHandles.clear();
    record.modules.clear();
}

} // namespace

ShaderProgramStorage::ShaderProgramStorage(Renderer *renderer)
    : ResourceStorage(renderer)
    , m_logger(TbFoundation::getOrCreateLogger("shader program", spdlog::level::warn))
{
}

ShaderProgramStorage::~ShaderProgramStorage() = default;

void ShaderProgramStorage::add(ShaderProgram *program)
{
    ShaderProgramRecord &record = findOrCreate(program);
    destroyGpuObjects(record);
    build(program, record);
}

void ShaderProgramStorage::update(ShaderProgram *program)
{
    ShaderProgramRecord *record = find(program);
    if (!record) {
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for ShaderProgram {}", program->objectName());
        return;
    }
    destroyGpuObjects(*record);
    build(program, *record);
}

void ShaderProgramStorage::remove(ShaderProgram *program)
{
    // A removed program may already be destroyed: it is named by its address only.
    if (!take(program))
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for ShaderProgram {}", fmt::ptr(program));
}

void ShaderProgramStorage::clear()
{
    m_records.clear();
}

void ShaderProgramStorage::build(ShaderProgram *program, ShaderProgramRecord &record)
{
    TbGpu::Device &device = m_renderer->device();
    record.program = program;
    for (const StageCode &stage : stageOrder) {
        const std::vector<uint32_t> &code = program->code(stage.stage);
        if (!code.empty())
            record.modules.push_back({ device.createShaderModule(code), stage.flag });
    }

    // One layout per set number up to the highest one used; numbers without a set get an empty layout.
    record.resourceFormat = program->resourceFormat();
    const std::vector<ResourceSet> &sets = record.resourceFormat.sets;
    const uint32_t setCount = sets.empty() ? 0 : sets.back().set + 1;
    auto next = sets.begin();
    for (uint32_t number = 0; number < setCount; ++number) {
        TbGpu::BindGroupLayoutOptions options;
        if (next != sets.end() && next->set == number)
            options = layoutOptions(*next++);
        record.bindGroupLayouts.push_back(device.createBindGroupLayout(options));
        record.bindGroupLayoutHandles.push_back(record.bindGroupLayouts.back().handle());
    }
}

} // namespace Orvane
