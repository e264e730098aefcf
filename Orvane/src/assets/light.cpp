#include <Orvane/assets/light.h>

namespace Orvane {

namespace {

template<typename T>
void announceChanges(TbBindings::Property<T> &property, Light *light)
{
    property.valueChanged().connect([light](const T &) { light->changed.emit(light); });
}

} // namespace

Light::Light()
{
    announceChanges(type, this);
    announceChanges(color, this);
    announceChanges(intensity, this);
    announceChanges(direction, this);
    announceChanges(constantAttenuation, this);
    announceChanges(linearAttenuation, this);
    announceChanges(quadraticAttenuation, this);
    announceChanges(spotDirection, this);
    announceChanges(cutOffAngle, this);
    announceChanges(entity, this);
}

Light::~Light()
{
    destroyed.emit(this);
}

} // namespace Orvane
