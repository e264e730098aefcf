#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <cstdint>

namespace Orvane {

// A light source placed on its entity. The values reach the shaders unchanged.
class Light : public Component
{
public:
    enum class Type : uint32_t {
        Point = 0, // at the entity's position, shining in all directions
        Directional = 1, // shining along `direction`
        Spot = 2, // at the entity's position, shining along `spotDirection` within `cutOffAngle`
    };

    Light();
    ~Light() override;

    TbBindings::Property<Type> type{ Type::Point };
    TbBindings::Property<glm::vec4> color{ glm::vec4(1.0f) };
    TbBindings::Property<float> intensity{ 0.5f };
    TbBindings::Property<glm::vec3> direction{ glm::vec3(0.0f, -1.0f, 0.0f) };
    TbBindings::Property<float> constantAttenuation{ 1.0f };
    TbBindings::Property<float> linearAttenuation{ 0.0f };
    TbBindings::Property<float> quadraticAttenuation{ 0.0f };
    TbBindings::Property<glm::vec3> spotDirection{ glm::vec3(0.0f, -1.0f, 0.0f) };
    // Degrees.
    TbBindings::Property<float> cutOffAngle{ 45.0f };

    // Emitted after any property above, or `entity`, gets a new value.
    TbBindings::Signal<Light *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<Light *> destroyed;
};

} // namespace Orvane
