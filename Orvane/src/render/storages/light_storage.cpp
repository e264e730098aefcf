#include <Orvane/render/storages/light_storage.h>

#include <Orvane/assets/light.h>
#include <Orvane/core/entity.h>

#include <TbFoundation/logging.h>

namespace Orvane {

namespace {

std::string entityName(const Light *light)
{
    const Entity *entity = light->entity.get();
    return entity ? entity->objectName() : std::string();
}

void fill(const Light *light, GpuLight &record)
{
    record.color = light->color.get();
    record.direction = light->direction.get();
    record.intensity = light->intensity.get();
    record.type = int32_t(light->type.get());
    record.constantAttenuation = light->constantAttenuation.get();
    record.linearAttenuation = light->linearAttenuation.get();
    record.quadraticAttenuation = light->quadraticAttenuation.get();
    record.spotDirection = light->spotDirection.get();
    record.cutOffAngle = light->cutOffAngle.get();
    record.worldPosition = glm::vec3(0.0f);
    record.padding = 0.0f;
}

} // namespace

LightStorage::LightStorage(Renderer *renderer)
    : ResourceStorage(renderer)
    , m_logger(TbFoundation::getOrCreateLogger("light", spdlog::level::debug))
{
}

LightStorage::~LightStorage() = default;

void LightStorage::add(Light *light)
{
    fill(light, findOrCreate(light));
}

void LightStorage::update(Light *light)
{
    if (GpuLight *record = find(light))
        fill(light, *record);
    else
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Light attached to {}", entityName(light));
}

void LightStorage::remove(Light *light)
{
    // A removed light may already be destroyed: it is named by its address only.
    if (!take(light))
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Light {}", fmt::ptr(light));
}

void LightStorage::clear()
{
    m_records.clear();
}

} // namespace Orvane
