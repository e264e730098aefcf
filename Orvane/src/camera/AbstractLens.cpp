#include <Orvane/camera/AbstractLens.h>

namespace Orvane {

AbstractLens::~AbstractLens()
{
    destroyed.emit(this);
}

} // namespace Orvane
