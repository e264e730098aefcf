#include <TbFoundation/platform/linux/LinuxPlatformIntegration.h>

#include <TbFoundation/platform/linux/LinuxPlatformEventLoop.h>

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
