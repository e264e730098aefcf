#include <TbGui/platform/linux/LinuxGuiPlatformIntegration.h>

#include "XcbConnection.h"

#include <TbGui/platform/linux/XcbPlatformWindow.h>

#include <TbFoundation/Logging.h>
#include <TbFoundation/platform/linux/LinuxPlatformEventLoop.h>

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
