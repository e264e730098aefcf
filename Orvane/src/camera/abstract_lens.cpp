#include <Orvane/camera/abstract_lens.h>

namespace Orvane {

AbstractLens::~AbstractLens()
{
    destroyed.emit(this);
}

} // namespace Orvane
