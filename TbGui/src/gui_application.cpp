#include <TbGui/gui_application.h>

namespace TbGui {

GuiApplication::GuiApplication(std::unique_ptr<AbstractGuiPlatformIntegration> platformIntegration)
    : CoreApplication(platformIntegration ? std::move(platformIntegration) : createDefaultGuiPlatformIntegration())
{
}

GuiApplication *GuiApplication::instance() noexcept
{
    return dynamic_cast<GuiApplication *>(CoreApplication::instance());
}

AbstractGuiPlatformIntegration *GuiApplication::guiPlatformIntegration() const noexcept
{
    // The constructor only ever installs GUI integrations.
    return static_cast<AbstractGuiPlatformIntegration *>(platformIntegration());
}

} // namespace TbGui
