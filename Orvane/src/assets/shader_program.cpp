#include <Orvane/assets/shader_program.h>

#include <Orvane/render/shader_introspection.h>

#include <TbFoundation/logging.h>

#include <algorithm>

namespace Orvane {

ShaderProgram::ShaderProgram()
    : m_logger(TbFoundation::getOrCreateLogger("shader program", spdlog::level::warn))
{
    for (std::size_t i = 0; i < StageCount; ++i)
        shaderPath(Stage(i)).valueChanged().connect([this](const std::string &) { onPathChanged(); });
}

ShaderProgram::~ShaderProgram()
{
    destroyed.emit(this);
}

TbBindings::Property<std::string> &ShaderProgram::shaderPath(Stage stage) noexcept
{
    switch (stage) {
    case Stage::Vertex:
        return vertexShader;
    case Stage::TessellationControl:
        return tessellationControlShader;
    case Stage::TessellationEvaluation:
        return tessellationEvaluationShader;
    case Stage::Geometry:
        return geometryShader;
    case Stage::Fragment:
        return fragmentShader;
    case Stage::Compute:
        break;
    }
    return computeShader;
}

const TbBindings::Property<std::string> &ShaderProgram::shaderPath(Stage stage) const noexcept
{
    return const_cast<ShaderProgram *>(this)->shaderPath(stage);
}

void ShaderProgram::onPathChanged()
{
    updateShaderInfo();
    changed.emit(this);
}

void ShaderProgram::updateShaderInfo()
{
    m_resourceFormat = {};
    m_vertexAttributes.clear();
    for (auto &code : m_code)
        code.clear();

    if (!loadShader())
        return;

    ResourceFormat format;
    if (computeShaderCode().empty()) {
        if (!vertexShaderCode().empty())
            Render::introspectShaderModule(vertexShaderCode(), format, *m_logger, &m_vertexAttributes);
        for (Stage stage :
             { Stage::Fragment, Stage::TessellationControl, Stage::TessellationEvaluation, Stage::Geometry }) {
            if (!code(stage).empty())
                Render::introspectShaderModule(code(stage), format, *m_logger, nullptr);
        }
    } else {
        Render::introspectShaderModule(computeShaderCode(), format, *m_logger, nullptr);
    }
    m_resourceFormat = std::move(format);

    const Render::MergeResult validation = Render::mergeResourceFormat(m_resourceFormat);
    if (!validation.ok) {
        for (const auto &error : validation.errors)
            SPDLOG_LOGGER_CRITICAL(m_logger, "{}", error);
    }
}

bool ShaderProgram::isCompatibleWithVertexFormat(const TbGpu::VertexOptions *format) const
{
    if (!format)
        return m_vertexAttributes.empty();

    for (const auto &attribute : m_vertexAttributes) {
        // A built-in input, not fed by vertex buffers.
        if (attribute.name == "gl_VertexIndex")
            continue;
        const auto match = std::find_if(
                format->attributes.begin(), format->attributes.end(),
                [&](const TbGpu::VertexAttribute &candidate) { return candidate.location == attribute.location; });
        if (match == format->attributes.end())
            return false;
        if (match->format != attribute.format) {
            SPDLOG_LOGGER_WARN(
                    m_logger,
                    "Shader Attribute (name: {}, location: {}) expects format: {} but VertexFormat attribute at "
                    "matching location has format: {}",
                    attribute.name, attribute.location, uint32_t(attribute.format), uint32_t(match->format));
            return false;
        }
    }
    return true;
}

void ShaderProgram::dump() const
{
    SPDLOG_LOGGER_WARN(m_logger, "Attributes:");
    for (const auto &attribute : m_vertexAttributes) {
        SPDLOG_LOGGER_WARN(m_logger, "    Attribute (name: {}, location: {}, format: {})", attribute.name,
                           attribute.location, uint32_t(attribute.format));
    }
}

} // namespace Orvane
