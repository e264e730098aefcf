#include "fake_platform.h"
#include "recording_window.h"

#include <TbGui/gui_application.h>
#include <TbGui/platform/linux/linux_gui_platform_integration.h>
#include <TbGui/window.h>

#include <TbFoundation/resize_event.h>

#include <gtest/gtest.h>

#include <spdlog/spdlog.h>

using namespace TbGui;

TEST(GuiApplication, EmptyIntegrationIsReplacedByThePlatformDefault)
{
    spdlog::drop("linux");
    GuiApplication app;
    EXPECT_EQ(GuiApplication::instance(), &app);
    EXPECT_EQ(TbFoundation::CoreApplication::instance(), &app);
    auto *integration = dynamic_cast<LinuxGuiPlatformIntegration *>(app.guiPlatformIntegration());
    ASSERT_NE(integration, nullptr);
    ASSERT_NE(app.eventLoop(), nullptr);
    // The integration's logger is made with the event loop; no X connection is needed for that.
    ASSERT_TRUE(integration->logger());
    EXPECT_EQ(integration->logger()->name(), "linux");
    EXPECT_EQ(integration->logger()->level(), spdlog::level::info);
    app.processEvents(0);
}

TEST(GuiApplication, GivenIntegrationIsUsed)
{
    std::vector<std::string> log;
    auto integration = std::make_unique<FakeGuiPlatformIntegration>(log);
    AbstractGuiPlatformIntegration *raw = integration.get();
    GuiApplication app(std::move(integration));
    EXPECT_EQ(app.guiPlatformIntegration(), raw);
}

TEST(GuiApplication, PlainCoreApplicationIsNoGuiApplication)
{
    TbFoundation::CoreApplication app;
    EXPECT_EQ(GuiApplication::instance(), nullptr);
    Window window; // no GUI integration: no native side
    EXPECT_EQ(window.platformWindow(), nullptr);
    window.visible = true;
}

class WindowTest : public ::testing::Test
{
protected:
    std::vector<std::string> log;
    GuiApplication app{ std::make_unique<FakeGuiPlatformIntegration>(log) };
};

TEST_F(WindowTest, VisibilityCreatesShowsAndHides)
{
    Window window;
    ASSERT_NE(window.platformWindow(), nullptr);
    EXPECT_EQ(window.platformWindow()->window(), &window);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(window.width.get(), 640u);
    EXPECT_EQ(window.height.get(), 480u);

    window.visible = true;
    window.visible = false;
    window.visible = true;
    EXPECT_EQ(log, (std::vector<std::string>{ "create", "show", "hide", "show" }));
}

TEST_F(WindowTest, TitleAndSizeChangesReachThePlatformWindow)
{
    Window window;
    window.title = "before creation"; // followed from construction on
    window.width = 100; // not created yet: nothing to resize
    EXPECT_EQ(log, std::vector<std::string>{ "setTitle before creation" });
    window.visible = true;
    log.clear();
    window.title = "Hello";
    window.width = 800;
    window.height = 600;
    EXPECT_EQ(log, (std::vector<std::string>{ "setTitle Hello", "setSize 800x480", "setSize 800x600" }));
}

TEST_F(WindowTest, ResizeEventsUpdateTheSizeWithoutResizingBack)
{
    Window window;
    window.visible = true;
    log.clear();
    window.platformWindow()->handleResize(1024, 768);
    EXPECT_EQ(window.width.get(), 1024u);
    EXPECT_EQ(window.height.get(), 768u);
    EXPECT_TRUE(log.empty());
}

TEST_F(WindowTest, DestroyingTheWindowStopsFollowingItsTitle)
{
    auto window = std::make_unique<Window>();
    window.reset();
    EXPECT_TRUE(log.empty());
}
