#include <Orvane/core/component.h>

namespace Orvane {

Component::Component() = default;
Component::~Component() = default;

} // namespace Orvane
