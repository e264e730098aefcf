#pragma once

#include <TbFoundation/abstract_platform_integration.h>

namespace TbFoundation {

// The Linux platform of the core library alone: no state, an eventfd/timerfd event loop.
class LinuxPlatformIntegration : public AbstractPlatformIntegration
{
public:
    void init() override { }
    std::unique_ptr<AbstractPlatformEventLoop> createPlatformEventLoop() override;
};

} // namespace TbFoundation
