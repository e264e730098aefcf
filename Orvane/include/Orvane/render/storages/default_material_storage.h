#pragma once

#include <Orvane/render/frames_in_flight.h>
#include <Orvane/render/storages/resource_storage.h>

#include <TbGpu/bind_group.h>
#include <TbGpu/bind_group_options.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

class Material;
struct ShaderProgramRecord;

// The bind groups of one material, per frame slot, made by the render algorithm on the first frame after the
// material was added or changed (the lists are empty until then).
struct MaterialRecord {
    struct SetEntry {
        uint32_t set{ 0 };
        TbGpu::BindGroup bindGroup;
        std::vector<TbGpu::BindGroupEntry> resources;
    };

    std::array<std::vector<SetEntry>, MaxFramesInFlight> bindGroups;
    ShaderProgramRecord *shaderProgram{ nullptr };
};

class DefaultMaterialStorage : public ResourceStorage<Material, MaterialRecord>
{
public:
    explicit DefaultMaterialStorage(Renderer *renderer);
    ~DefaultMaterialStorage() override;

    void add(Material *material);
    void update(Material *material);
    void remove(Material *material);
    void clear();

private:
    void refresh(Material *material, MaterialRecord &record);
    void retireBindGroups(MaterialRecord &record);

    std::shared_ptr<spdlog::logger> m_logger;
};

} // namespace Orvane
