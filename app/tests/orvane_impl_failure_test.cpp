#include "orbital_stereo_camera.h"
#include "orvane_impl.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct LoggedMessage {
    QtMsgType type;
    std::string text;
};

std::vector<LoggedMessage> logged;

void recordMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    logged.push_back({ type, text.toStdString() });
}

// Qt's offscreen platform has no Vulkan support, so creating the instance fails there.
TEST(OrvaneImpl, ReportsAFailedVulkanInstanceOnTheCriticalLogAndThrows)
{
    ovi::OrvaneImpl impl;
    ovi::OrbitalStereoCamera camera;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    std::string thrown;
    try {
        impl.Initialize(nullptr, camera);
    } catch (const std::runtime_error &error) {
        thrown = error.what();
    }
    qInstallMessageHandler(previous);

    EXPECT_EQ(thrown, "Failed to create QVulkanInstance");
    int criticals = 0;
    for (const LoggedMessage &message : logged) {
        if (message.type == QtCriticalMsg) {
            ++criticals;
            EXPECT_EQ(message.text, "Failed to create QVulkanInstance");
        }
    }
    EXPECT_EQ(criticals, 1);
    // Nothing else is set up.
    EXPECT_EQ(impl.vkSurface(), VkSurfaceKHR(VK_NULL_HANDLE));
    EXPECT_EQ(impl.vulkanWindow.surfaceType(), QSurface::RasterSurface);
    EXPECT_EQ(impl.vulkanWindow.vulkanInstance(), nullptr);
}

} // namespace
