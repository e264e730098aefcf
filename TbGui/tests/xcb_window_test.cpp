#include "xcb_window_fixture.h"

#include <TbGui/platform/linux/linux_gui_platform_integration.h>

#include <TbBindings/create_binding.h>

#include <cstring>

using TbFoundation::Event;

TEST_F(XcbWindowTest, ShownWindowIsMappedAtTheOriginWithItsSize)
{
    const auto geometry = display.geometry(id());
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->x, 0);
    EXPECT_EQ(geometry->y, 0);
    EXPECT_EQ(geometry->width, 400);
    EXPECT_EQ(geometry->height, 300);
}

TEST_F(XcbWindowTest, TitleIsPublishedAsUtf8AndFollowsChanges)
{
    EXPECT_EQ(display.property(id(), "_NET_WM_NAME", "UTF8_STRING"), "Test window");
    EXPECT_EQ(display.property(id(), "WM_NAME", "STRING"), "Test window");

    const std::string title = "Caf\xC3\xA9 \xE2\x9C\x93";
    window->title = title;
    EXPECT_TRUE(eventually([&] { return display.property(id(), "_NET_WM_NAME", "UTF8_STRING") == title; }));
    EXPECT_EQ(display.property(id(), "WM_NAME", "UTF8_STRING"), title);
}

TEST_F(XcbWindowTest, WindowManagerProtocolsAnnounceTheCloseRequest)
{
    const auto protocols = display.property(id(), "WM_PROTOCOLS", "ATOM");
    ASSERT_TRUE(protocols);
    ASSERT_EQ(protocols->size(), 4u);
    xcb_atom_t announced = 0;
    std::memcpy(&announced, protocols->data(), 4);
    EXPECT_EQ(announced, display.atom("WM_DELETE_WINDOW"));
}

TEST_F(XcbWindowTest, CloseRequestHidesTheWindowButKeepsIt)
{
    display.sendCloseRequest(id());
    ASSERT_TRUE(pumpUntil(*app, [&] { return !window->visible.get(); }));
    EXPECT_TRUE(eventually([&] { return !display.isViewable(id()); }));
    EXPECT_TRUE(platform()->isCreated());
    EXPECT_TRUE(display.exists(id()));

    window->visible = true;
    EXPECT_TRUE(eventually([&] { return display.isViewable(id()); }));
}

TEST_F(XcbWindowTest, CloseRequestIsIgnoredWhileVisibilityIsBound)
{
    TbBindings::Property<bool> shown(true);
    window->visible = TbBindings::createBinding(shown);
    display.sendCloseRequest(id());
    pumpFor(*app, std::chrono::milliseconds(100)); // must not throw out of the loop
    EXPECT_TRUE(window->visible.get());
    EXPECT_TRUE(display.isViewable(id()));
    window->visible = std::unique_ptr<TbBindings::PropertyUpdater<bool>>();
}

TEST_F(XcbWindowTest, SizeChangesTravelBothWays)
{
    window->width = 500;
    auto resizes = waitForEvents(Event::Resize);
    EXPECT_EQ(resizes, std::vector<std::string>{ "Resize 500x300" });
    EXPECT_TRUE(eventually([&] { return display.geometry(id())->width == 500; }));

    // Resized from outside, as by a window manager: the properties follow without resizing back.
    display.resize(id(), 320, 200);
    resizes = waitForEvents(Event::Resize, 2);
    EXPECT_EQ(resizes, (std::vector<std::string>{ "Resize 500x300", "Resize 320x200" }));
    EXPECT_EQ(window->width.get(), 320u);
    EXPECT_EQ(window->height.get(), 200u);
    pumpFor(*app, std::chrono::milliseconds(50));
    EXPECT_EQ(window->eventsOfType(Event::Resize).size(), 2u);
    EXPECT_EQ(display.geometry(id())->width, 320);
}

TEST_F(XcbWindowTest, CreateAndDestroyReportWhetherTheyDidAnything)
{
    const xcb_window_t native = id();
    EXPECT_FALSE(platform()->create());
    EXPECT_TRUE(platform()->destroy());
    EXPECT_FALSE(platform()->isCreated());
    EXPECT_EQ(platform()->nativeWindow(), XCB_NONE);
    EXPECT_FALSE(platform()->destroy());
    EXPECT_TRUE(eventually([&] { return !display.exists(native); }));

    EXPECT_TRUE(platform()->create());
    EXPECT_NE(platform()->nativeWindow(), XCB_NONE);
}

TEST_F(XcbWindowTest, DestroyingTheWindowRemovesTheNativeWindow)
{
    const xcb_window_t native = id();
    window.reset();
    EXPECT_TRUE(eventually([&] { return !display.exists(native); }));
}

TEST(XcbWindowLifetime, WindowOutlivingItsApplicationIsMadeThroughTheNextOne)
{
    XTestDisplay &display = XTestDisplay::shared();
    if (!display.isOpen())
        GTEST_SKIP() << "needs an X server in $DISPLAY";
    auto first = std::make_unique<TbGui::GuiApplication>();
    auto window = std::make_unique<RecordingWindow>();
    // Made while the first one lives, so it cannot take the first one's place in memory.
    auto nextIntegration = std::make_unique<TbGui::LinuxGuiPlatformIntegration>();
    first.reset();

    TbGui::GuiApplication second(std::move(nextIntegration));
    window->visible = true;
    RecordingWindow sibling;
    sibling.visible = true;
    auto *platform = dynamic_cast<TbGui::XcbPlatformWindow *>(window->platformWindow());
    auto *siblingPlatform = dynamic_cast<TbGui::XcbPlatformWindow *>(sibling.platformWindow());
    ASSERT_TRUE(platform && platform->isCreated());
    ASSERT_TRUE(siblingPlatform && siblingPlatform->isCreated());
    // X resource ids carry their client's base: both windows come from the second application's connection.
    const uint32_t clientBits = ~xcb_get_setup(display.connection())->resource_id_mask;
    EXPECT_EQ(platform->nativeWindow() & clientBits, siblingPlatform->nativeWindow() & clientBits);
    // And that application's loop serves the old window's events.
    window->width = 500;
    EXPECT_TRUE(pumpUntil(second, [&] { return !window->eventsOfType(Event::Resize).empty(); }));
    window.reset();
}
