#pragma once

#include <TbFoundation/abstract_platform_integration.h>

#include <memory>

namespace TbGui {

class AbstractPlatformWindow;
class Window;

// A platform integration that can also make native windows.
class AbstractGuiPlatformIntegration : public TbFoundation::AbstractPlatformIntegration
{
public:
    virtual std::unique_ptr<AbstractPlatformWindow> createPlatformWindow(Window *window) = 0;
};

// The GUI integration for the operating system this library was built for.
std::unique_ptr<AbstractGuiPlatformIntegration> createDefaultGuiPlatformIntegration();

} // namespace TbGui
