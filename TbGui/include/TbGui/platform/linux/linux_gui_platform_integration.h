#pragma once

#include <TbGui/abstract_gui_platform_integration.h>

#include <spdlog/logger.h>

#include <memory>

namespace TbFoundation {
class LinuxPlatformEventLoop;
}

namespace TbGui {

class XcbConnection;

// The Linux GUI platform: the foundation's Linux event loop, extended by the X connection once the first
// window needs it, and XCB windows. The logger "linux" is made with the event loop.
class LinuxGuiPlatformIntegration : public AbstractGuiPlatformIntegration
{
public:
    LinuxGuiPlatformIntegration();
    ~LinuxGuiPlatformIntegration() override;

    void init() override { }
    std::unique_ptr<TbFoundation::AbstractPlatformEventLoop> createPlatformEventLoop() override;
    std::unique_ptr<AbstractPlatformWindow> createPlatformWindow(Window *window) override;

    // Empty until the event loop is made.
    const std::shared_ptr<spdlog::logger> &logger() const noexcept { return m_logger; }

    // The connection to the X server named by $DISPLAY, opened on first use (so that an application that
    // never makes a window never needs a display) and watched by the event loop. Null, after logging why,
    // when there is no X server to connect to.
    std::shared_ptr<XcbConnection> connection();

private:
    std::shared_ptr<spdlog::logger> m_logger;
    TbFoundation::LinuxPlatformEventLoop *m_eventLoop = nullptr;
    std::shared_ptr<XcbConnection> m_connection;
};

} // namespace TbGui
