#include <TbGui/platform/linux/linux_gui_platform_integration.h>

#include "xcb_connection.h"

#include <TbGui/platform/linux/xcb_platform_window.h>

#include <TbFoundation/logging.h>
#include <TbFoundation/platform/linux/linux_platform_event_loop.h>

namespace TbGui {

LinuxGuiPlatformIntegration::LinuxGuiPlatformIntegration() = default;

// The event loop is gone by now (the core application destroys it first): nothing to unregister.
LinuxGuiPlatformIntegration::~LinuxGuiPlatformIntegration() = default;

std::unique_ptr<TbFoundation::AbstractPlatformEventLoop> LinuxGuiPlatformIntegration::createPlatformEventLoop()
{
    m_logger = TbFoundation::getOrCreateLogger("linux", spdlog::level::info);
    auto loop = std::make_unique<TbFoundation::LinuxPlatformEventLoop>();
    m_eventLoop = loop.get();
    if (m_connection)
        m_eventLoop->addEventSource(m_connection.get());
    return loop;
}

std::unique_ptr<AbstractPlatformWindow> LinuxGuiPlatformIntegration::createPlatformWindow(Window *window)
{
    return std::make_unique<XcbPlatformWindow>(window, this);
}

std::shared_ptr<XcbConnection> LinuxGuiPlatformIntegration::connection()
{
    if (m_connection)
        return m_connection;
    if (!m_logger)
        m_logger = TbFoundation::getOrCreateLogger("linux", spdlog::level::info);
    m_connection = XcbConnection::open(m_logger);
    if (m_connection && m_eventLoop)
        m_eventLoop->addEventSource(m_connection.get());
    return m_connection;
}

std::unique_ptr<AbstractGuiPlatformIntegration> createDefaultGuiPlatformIntegration()
{
    return std::make_unique<LinuxGuiPlatformIntegration>();
}

} // namespace TbGui
