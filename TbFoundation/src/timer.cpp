#include <TbFoundation/timer.h>

#include <TbFoundation/abstract_platform_timer.h>
#include <TbFoundation/core_application.h>

namespace TbFoundation {

Timer::Timer(std::chrono::microseconds initialInterval)
    : running(false)
    , interval(initialInterval)
{
    if (CoreApplication *app = CoreApplication::instance(); app && app->eventLoop())
        m_platformTimer = app->eventLoop()->createPlatformTimer(this);
}

Timer::~Timer() = default;

} // namespace TbFoundation
