#include <Orvane/core/aspect.h>

namespace Orvane {

void Aspect::rootAboutToChange(Entity *, Entity *)
{
}
void Aspect::rootChanged(Entity *, Entity *)
{
}

} // namespace Orvane
