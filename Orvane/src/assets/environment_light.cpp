#include <Orvane/assets/environment_light.h>

namespace Orvane {

EnvironmentLight::EnvironmentLight()
{
    irradianceMap.valueChanged().connect([this](Texture *const &) { changed.emit(this); });
    specularMap.valueChanged().connect([this](Texture *const &) { changed.emit(this); });
    entity.valueChanged().connect([this](Entity *const &) { changed.emit(this); });
}

EnvironmentLight::~EnvironmentLight()
{
    destroyed.emit(this);
}

} // namespace Orvane
