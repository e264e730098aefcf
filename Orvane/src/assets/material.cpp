#include <Orvane/assets/material.h>

#include <Orvane/assets/shader_program.h>

#include <TbFoundation/logging.h>

#include <algorithm>

namespace Orvane {

Material::Material()
    : m_logger(TbFoundation::getOrCreateLogger("material", spdlog::level::off))
{
    shaderProgram.valueChanged().connect([this](ShaderProgram *const &program) { onShaderProgramChanged(program); });
    textureBindings.valueChanged().connect([this](const std::vector<BindingAndTexture> &) { changed.emit(this); });
    uniformBufferBindings.valueChanged().connect([this](const std::vector<BindingAndUBO> &) { changed.emit(this); });
}

Material::~Material()
{
    destroyed.emit(this);
    dropProgramConnections();
    uniformDataGenerator = nullptr;
}

const std::vector<std::vector<uint8_t>> &Material::staticUniformData() const
{
    static const std::vector<std::vector<uint8_t>> none;
    return none;
}

void Material::setTexture(uint32_t set, uint32_t binding, Texture *texture)
{
    auto bindings = textureBindings.get();
    const auto it = std::find_if(bindings.begin(), bindings.end(), [&](const BindingAndTexture &entry) {
        return entry.set == set && entry.binding == binding;
    });
    if (it != bindings.end())
        it->texture = texture;
    else
        bindings.push_back({ set, binding, texture });
    textureBindings = std::move(bindings);
}

void Material::setUniformBuffer(uint32_t set, uint32_t binding, Buffer *buffer, uint32_t offset)
{
    auto bindings = uniformBufferBindings.get();
    const auto it = std::find_if(bindings.begin(), bindings.end(), [&](const BindingAndUBO &entry) {
        return entry.set == set && entry.binding == binding;
    });
    if (it != bindings.end()) {
        it->offset = offset;
        it->buffer = buffer;
    } else {
        bindings.push_back({ set, binding, offset, buffer });
    }
    uniformBufferBindings = std::move(bindings);
}

void Material::setUniformDataGenerator(UniformDataGenerator generator)
{
    uniformDataGenerator = std::move(generator);
    changed.emit(this);
}

void Material::onShaderProgramChanged(ShaderProgram *program)
{
    dropProgramConnections();
    if (program) {
        m_programChangedConnection = program->changed.connect([this](ShaderProgram *) { changed.emit(this); });
        // A program that dies while set here must not be reached through this material afterwards.
        m_programDestroyedConnection = program->destroyed.connect([this](ShaderProgram *) {
            dropProgramConnections();
            if (!shaderProgram.isReadOnly())
                shaderProgram = nullptr;
        });
    }
    changed.emit(this);
}

void Material::dropProgramConnections()
{
    m_programChangedConnection.disconnect();
    m_programDestroyedConnection.disconnect();
}

} // namespace Orvane
