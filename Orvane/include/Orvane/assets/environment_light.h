#pragma once

#include <Orvane/core/component.h>

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

namespace Orvane {

class Texture;

// Image-based lighting placed on an entity: a diffuse irradiance map and a prefiltered specular map. Neither
// texture is owned.
class EnvironmentLight : public Component
{
public:
    EnvironmentLight();
    ~EnvironmentLight() override;

    TbBindings::Property<Texture *> irradianceMap{ nullptr };
    TbBindings::Property<Texture *> specularMap{ nullptr };

    // Emitted after either texture or `entity` gets a new value.
    TbBindings::Signal<EnvironmentLight *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<EnvironmentLight *> destroyed;
};

} // namespace Orvane
