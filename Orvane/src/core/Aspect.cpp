#include <Orvane/core/Aspect.h>

namespace Orvane {

void Aspect::rootAboutToChange(Entity *, Entity *) {}
void Aspect::rootChanged(Entity *, Entity *) {}

} // namespace Orvane
