#pragma once

#include <TbBindings/connection_handle.h>
#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class Buffer;
class ShaderProgram;
class Texture;

// How a mesh is shaded: a shader program and the textures and uniform buffers bound at (set, binding)
// slots of the program's resource layout. A material owns none of them.
class Material : public TbFoundation::Object
{
public:
    struct BindingAndTexture {
        uint32_t set = 0;
        uint32_t binding = 0;
        Texture *texture = nullptr;
        bool operator==(const BindingAndTexture &) const = default;
    };

    struct BindingAndUBO {
        uint32_t set = 0;
        uint32_t binding = 0;
        uint32_t offset = 0; // where the bound range starts in the buffer, in bytes
        Buffer *buffer = nullptr;
        bool operator==(const BindingAndUBO &) const = default;
    };

    // Produces the bytes of one uniform buffer for one frame, given (set, binding).
    using UniformDataGenerator = std::function<std::vector<uint8_t>(uint32_t, uint32_t)>;

    Material();
    ~Material() override;

    Material(const Material &) = delete;
    Material &operator=(const Material &) = delete;

    // When the program is destroyed while still set here, the material lets go of it (sets null) unless
    // the property is bound.
    TbBindings::Property<ShaderProgram *> shaderProgram{ nullptr };
    TbBindings::Property<std::vector<BindingAndTexture>> textureBindings;
    TbBindings::Property<std::vector<BindingAndUBO>> uniformBufferBindings;

    // Emitted after a new program, new binding lists, a new generator, and when the program reloads.
    TbBindings::Signal<Material *> changed;
    // For materials whose GPU resources change without a property change; the material tracker listens.
    TbBindings::Signal<Material *> resourcesChanged;
    // Emitted at the very start of destruction.
    TbBindings::Signal<Material *> destroyed;

    UniformDataGenerator uniformDataGenerator;

    // Fixed uniform data blocks that a kind of material may provide. The base material has none: it
    // returns a process-wide empty list.
    virtual const std::vector<std::vector<uint8_t>> &staticUniformData() const;

    // Binds `texture` at (set, binding), replacing the texture of an existing entry for that slot.
    void setTexture(uint32_t set, uint32_t binding, Texture *texture);
    // Binds `buffer` from byte `offset` at (set, binding), replacing an existing entry for that slot.
    void setUniformBuffer(uint32_t set, uint32_t binding, Buffer *buffer, uint32_t offset);
    void setUniformDataGenerator(UniformDataGenerator generator);

private:
    void onShaderProgramChanged(ShaderProgram *program);
    void dropProgramConnections();

    std::shared_ptr<spdlog::logger> m_logger;
    TbBindings::ConnectionHandle m_programChangedConnection;
    TbBindings::ConnectionHandle m_programDestroyedConnection;
};

} // namespace Orvane
