#include <Orvane/spatial/bounding_volume.h>

namespace Orvane {

BoundingVolume::BoundingVolume()
{
    entity.valueChanged().connect([this](Entity *const &) { changed.emit(this); });
}

BoundingVolume::~BoundingVolume()
{
    destroyed.emit(this);
}

} // namespace Orvane
