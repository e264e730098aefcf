#include <Orvane/render/storages/default_material_storage.h>

#include <Orvane/assets/material.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/storages/shader_program_storage.h>

#include <TbFoundation/logging.h>

namespace Orvane {

DefaultMaterialStorage::DefaultMaterialStorage(Renderer *renderer)
    : ResourceStorage(renderer)
    , m_logger(TbFoundation::getOrCreateLogger("material"))
{
}

DefaultMaterialStorage::~DefaultMaterialStorage() = default;

void DefaultMaterialStorage::add(Material *material)
{
    refresh(material, findOrCreate(material));
}

void DefaultMaterialStorage::update(Material *material)
{
    MaterialRecord *record = find(material);
    if (!record) {
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Material {}", material->objectName());
        return;
    }
    refresh(material, *record);
}

void DefaultMaterialStorage::remove(Material *material)
{
    std::unique_ptr<MaterialRecord> record = take(material);
    if (!record) {
        // A removed material may already be destroyed: it is named by its address only.
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Material {}", fmt::ptr(material));
        return;
    }
    retireBindGroups(*record);
}

void DefaultMaterialStorage::clear()
{
    for (auto &[material, record] : m_records)
        retireBindGroups(*record);
    m_records.clear();
}

void DefaultMaterialStorage::refresh(Material *material, MaterialRecord &record)
{
    // The algorithm rebuilds the bind groups on its next frame.
    retireBindGroups(record);
    ShaderProgram *program = material->shaderProgram.get();
    record.shaderProgram = program ? m_renderer->shaderProgramStorage().find(program) : nullptr;
}

void DefaultMaterialStorage::retireBindGroups(MaterialRecord &record)
{
    Render::DeletionBatch *batch = nullptr;
    for (auto &slotGroups : record.bindGroups) {
        for (MaterialRecord::SetEntry &entry : slotGroups) {
            if (!entry.bindGroup.isValid())
                continue;
            if (!batch)
                batch = &m_renderer->resourceDeleter()->currentBatch();
            batch->bindGroups.push_back(std::move(entry.bindGroup));
        }
        slotGroups.clear();
    }
}

} // namespace Orvane
