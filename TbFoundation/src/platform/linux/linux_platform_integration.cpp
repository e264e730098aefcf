#include <TbFoundation/platform/linux/linux_platform_integration.h>

#include <TbFoundation/platform/linux/linux_platform_event_loop.h>

namespace TbFoundation {

std::unique_ptr<AbstractPlatformEventLoop> LinuxPlatformIntegration::createPlatformEventLoop()
{
    return std::make_unique<LinuxPlatformEventLoop>();
}

std::unique_ptr<AbstractPlatformIntegration> createDefaultPlatformIntegration()
{
    return std::make_unique<LinuxPlatformIntegration>();
}

} // namespace TbFoundation
