#pragma once

#include "recording_window.h"
#include "x_test_display.h"

#include <TbGui/gui_application.h>
#include <TbGui/platform/linux/xcb_platform_window.h>

#include <gtest/gtest.h>

#include <memory>

// A GUI application with one shown 400x300 window at the origin, and the test's own X connection.
class XcbWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!display.isOpen())
            GTEST_SKIP() << "needs an X server in $DISPLAY";
        app = std::make_unique<TbGui::GuiApplication>();
        window = std::make_unique<RecordingWindow>();
        window->title = "Test window";
        window->width = 400;
        window->height = 300;
        window->visible = true;
        ASSERT_NE(platform(), nullptr);
        ASSERT_TRUE(platform()->isCreated());
        ASSERT_TRUE(pumpUntil(*app, [&] { return display.isViewable(id()); }));
    }

    void TearDown() override
    {
        window.reset();
        app.reset();
        if (display.isOpen()) {
            display.releaseKeysAndButtons();
            display.restoreKeyboard();
        }
    }

    TbGui::XcbPlatformWindow *platform() const
    {
        return dynamic_cast<TbGui::XcbPlatformWindow *>(window->platformWindow());
    }
    xcb_window_t id() const { return platform()->nativeWindow(); }

    // Pumps until `count` events of `type` have arrived; returns them.
    std::vector<std::string> waitForEvents(uint16_t type, std::size_t count = 1)
    {
        pumpUntil(*app, [&] { return window->eventsOfType(type).size() >= count; });
        return window->eventsOfType(type);
    }

    // Polls `condition`, running the application's loop meanwhile: the test's connection and the
    // application's are served by the X server in no fixed order.
    template<typename Condition>
    bool eventually(Condition condition)
    {
        return pumpUntil(*app, [&] {
            display.sync();
            return condition();
        });
    }

    XTestDisplay &display = XTestDisplay::shared();
    std::unique_ptr<TbGui::GuiApplication> app;
    std::unique_ptr<RecordingWindow> window;
};
