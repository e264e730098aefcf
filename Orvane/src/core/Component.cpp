#include <Orvane/core/Component.h>

namespace Orvane {

Component::Component() = default;
Component::~Component() = default;

} // namespace Orvane
