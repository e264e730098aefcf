#pragma once

#include <memory>

namespace TbFoundation {

class AbstractPlatformEventLoop;

// The factory through which the core application reaches the operating system.
class AbstractPlatformIntegration
{
public:
    virtual ~AbstractPlatformIntegration() = default;

    // Called once, after the event loop was created.
    virtual void init() = 0;
    virtual std::unique_ptr<AbstractPlatformEventLoop> createPlatformEventLoop() = 0;
};

// The integration for the operating system this library was built for.
std::unique_ptr<AbstractPlatformIntegration> createDefaultPlatformIntegration();

} // namespace TbFoundation
