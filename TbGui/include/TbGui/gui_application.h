#pragma once

#include <TbGui/abstract_gui_platform_integration.h>

#include <TbFoundation/core_application.h>

#include <memory>

namespace TbGui {

// The core application with a GUI platform integration, through which windows get their native side.
class GuiApplication : public TbFoundation::CoreApplication
{
public:
    // An empty integration is replaced by the platform default.
    explicit GuiApplication(std::unique_ptr<AbstractGuiPlatformIntegration> platformIntegration = nullptr);

    // The current core application if it is a GuiApplication, otherwise null.
    static GuiApplication *instance() noexcept;

    AbstractGuiPlatformIntegration *guiPlatformIntegration() const noexcept;
};

} // namespace TbGui
