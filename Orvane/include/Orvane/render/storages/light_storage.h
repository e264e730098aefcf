#pragma once

#include <Orvane/render/storages/resource_storage.h>

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <cstdint>
#include <memory>

namespace spdlog {
class logger;
}

namespace Orvane {

class Light;

// One light as the shaders' lights block holds it (80 bytes, std140). The world position is written by the render
// algorithm every frame.
struct GpuLight {
    glm::vec4 color{ 0.0f };
    glm::vec3 direction{ 0.0f };
    float intensity{ 0.0f };
    int32_t type{ 0 };
    float constantAttenuation{ 0.0f };
    float linearAttenuation{ 0.0f };
    float quadraticAttenuation{ 0.0f };
    glm::vec3 spotDirection{ 0.0f };
    float cutOffAngle{ 0.0f };
    glm::vec3 worldPosition{ 0.0f };
    float padding{ 0.0f };
};
static_assert(sizeof(GpuLight) == 80);

class LightStorage : public ResourceStorage<Light, GpuLight>
{
public:
    explicit LightStorage(Renderer *renderer);
    ~LightStorage() override;

    void add(Light *light);
    void update(Light *light);
    void remove(Light *light);
    void clear();

private:
    std::shared_ptr<spdlog::logger> m_logger;
};

} // namespace Orvane
