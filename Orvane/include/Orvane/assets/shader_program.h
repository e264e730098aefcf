#pragma once

#include <Orvane/render/resource_format.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>
#include <TbGpu/vertex_options.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

// The shader files of up to six pipeline stages, their SPIR-V code and what introspection finds in it: the
// vertex inputs and the resource layout (descriptor sets and push constant ranges). Every change of a path
// reloads and re-introspects all stages and then emits `changed`. Where the code comes from is up to the
// subclass (loadShader()).
class ShaderProgram : public TbFoundation::Object
{
public:
    // The stages in the order of the path properties and code arrays.
    enum class Stage : uint32_t {
        Vertex = 0,
        TessellationControl = 1,
        TessellationEvaluation = 2,
        Geometry = 3,
        Fragment = 4,
        Compute = 5,
    };
    static constexpr std::size_t StageCount = 6;

    ShaderProgram();
    ~ShaderProgram() override;

    ShaderProgram(const ShaderProgram &) = delete;
    ShaderProgram &operator=(const ShaderProgram &) = delete;

    TbBindings::Property<std::string> vertexShader;
    TbBindings::Property<std::string> tessellationControlShader;
    TbBindings::Property<std::string> tessellationEvaluationShader;
    TbBindings::Property<std::string> geometryShader;
    TbBindings::Property<std::string> fragmentShader;
    TbBindings::Property<std::string> computeShader;

    // Emitted after the shader information was rebuilt (on every path change).
    TbBindings::Signal<ShaderProgram *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<ShaderProgram *> destroyed;

    // Fills the code arrays from the stage paths; false leaves the program empty.
    virtual bool loadShader() = 0;

    // Reloads every stage, introspects the code and validates the resulting layout (errors are logged at
    // critical level; the layout is kept as found). A compute stage excludes the graphics stages.
    void updateShaderInfo();

    // Whether every vertex input the shader reads (built-in gl_VertexIndex aside) is fed by an attribute
    // of `format` at the same location with the same format. A location that `format` lacks gives false
    // silently; a format mismatch gives false and a warning. Without a format: true exactly when the
    // shader has no vertex inputs.
    bool isCompatibleWithVertexFormat(const TbGpu::VertexOptions *format) const;

    // Writes the vertex inputs to the program's logger at warn level.
    void dump() const;

    const ResourceFormat &resourceFormat() const noexcept { return m_resourceFormat; }
    const std::vector<ShaderAttribute> &vertexAttributes() const noexcept { return m_vertexAttributes; }

    const std::vector<uint32_t> &code(Stage stage) const noexcept { return m_code[std::size_t(stage)]; }
    const std::vector<uint32_t> &vertexShaderCode() const noexcept { return code(Stage::Vertex); }
    const std::vector<uint32_t> &tessellationControlShaderCode() const noexcept
    {
        return code(Stage::TessellationControl);
    }
    const std::vector<uint32_t> &tessellationEvaluationShaderCode() const noexcept
    {
        return code(Stage::TessellationEvaluation);
    }
    const std::vector<uint32_t> &geometryShaderCode() const noexcept { return code(Stage::Geometry); }
    const std::vector<uint32_t> &fragmentShaderCode() const noexcept { return code(Stage::Fragment); }
    const std::vector<uint32_t> &computeShaderCode() const noexcept { return code(Stage::Compute); }

    TbBindings::Property<std::string> &shaderPath(Stage stage) noexcept;
    const TbBindings::Property<std::string> &shaderPath(Stage stage) const noexcept;

    spdlog::logger &logger() const noexcept { return *m_logger; }

protected:
    std::vector<uint32_t> &mutableCode(Stage stage) noexcept { return m_code[std::size_t(stage)]; }

private:
    void onPathChanged();

    std::shared_ptr<spdlog::logger> m_logger;
    ResourceFormat m_resourceFormat;
    std::vector<ShaderAttribute> m_vertexAttributes;
    std::array<std::vector<uint32_t>, StageCount> m_code;
};

// A shader program whose stages are SPIR-V binaries read from files.
class SpirVShaderProgram : public ShaderProgram
{
public:
    SpirVShaderProgram() = default;

    // Reads the file of every stage with a path, in the order vertex, fragment, tessellation control,
    // tessellation evaluation, geometry, compute. A file that cannot be opened, whose size is not a whole
    // number of 32-bit words (an empty file included) or that does not start with the SPIR-V magic number
    // is logged and leaves its stage empty. Always returns true.
    bool loadShader() override;
};

} // namespace Orvane
