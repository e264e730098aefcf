#pragma once

#include <Orvane/render/resource_format.h>
#include <Orvane/render/storages/resource_storage.h>

#include <TbGpu/bind_group_layout.h>
#include <TbGpu/enums.h>
#include <TbGpu/shader_module.h>

#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class ShaderProgram;

struct ShaderProgramRecord {
    struct Module {
        TbGpu::ShaderModule module;
        TbGpu::ShaderStageFlagBits stage{ TbGpu::ShaderStageFlagBits::VertexBit };
    };

    ShaderProgram *program{ nullptr };
    ResourceFormat resourceFormat;
    // One per set number from 0 to the highest set used; sets the program does not use get an empty layout.
    std::vector<TbGpu::BindGroupLayout> bindGroupLayouts;
    std::vector<TbGpu::Handle<TbGpu::BindGroupLayout_t>> bindGroupLayoutHandles;
    std::vector<Module> modules;
};

// Shader modules and bind group layouts of the scene's shader programs. They are destroyed at once when a program
// changes or goes: pipelines and pipeline layouts made from them do not need them any more.
class ShaderProgramStorage : public ResourceStorage<ShaderProgram, ShaderProgramRecord>
{
public:
    explicit ShaderProgramStorage(Renderer *renderer);
    ~ShaderProgramStorage() override;

    void add(ShaderProgram *program);
    void update(ShaderProgram *program);
    void remove(ShaderProgram *program);
    void clear();

private:
    void build(ShaderProgram *program, ShaderProgramRecord &record);

    std::shared_ptr<spdlog::logger> m_logger;
};

} // namespace Orvane
