#include "fake_platform.h"
#include "recording_window.h"

#include <TbGui/gui_application.h>
#include <TbGui/key.h>

#include <gtest/gtest.h>

#include <functional>

using namespace TbGui;

namespace {

// Sees every event before its target does.
class Filter : public TbFoundation::EventReceiver
{
public:
    void event(TbFoundation::EventReceiver *target, TbFoundation::Event *e) override
    {
        seen.push_back(describe(*e));
        targets.push_back(target);
    }
    std::vector<std::string> seen;
    std::vector<TbFoundation::EventReceiver *> targets;
};

} // namespace

TEST(AbstractPlatformWindow, HandlersSendTheMatchingEventsToTheWindowThroughTheFilters)
{
    std::vector<std::string> log;
    GuiApplication app(std::make_unique<FakeGuiPlatformIntegration>(log));
    RecordingWindow window;
    Filter filter;
    app.installEventFilter(&filter);
    AbstractPlatformWindow &platform = *window.platformWindow();

    struct Case {
        std::function<void()> handle;
        std::string expected;
    };
    const Case cases[] = {
        { [&] { platform.handleResize(800, 600); }, "Resize 800x600" },
        { [&] { platform.handleMousePress(7, MouseButton::Left, -3, 40); }, "MousePress button=1 x=-3 y=40" },
        { [&] { platform.handleMouseRelease(8, MouseButton::Right, 5, 6); }, "MouseRelease button=4 x=5 y=6" },
        { [&] { platform.handleMouseMove(9, MouseButton::Middle, 100000, -7); }, "MouseMove buttons=2 x=100000 y=-7" },
        { [&] { platform.handleMouseWheel(10, 0, -120); }, "MouseWheel x=0 y=-120" },
        { [&] { platform.handleKeyPress(11, 1, Key::Escape, Modifier::Shift | Modifier::NumLock); },
          "KeyPress native=1 key=256 modifiers=33" },
        { [&] { platform.handleKeyRelease(12, 30, Key::A, 0); }, "KeyRelease native=30 key=65 modifiers=0" },
        { [&] { platform.handleTextInput("\xC3\xA9"); }, "TextInput C3 A9" },
    };
    for (const Case &c : cases) {
        window.events.clear();
        filter.seen.clear();
        filter.targets.clear();
        c.handle();
        EXPECT_EQ(filter.seen, std::vector<std::string>{ c.expected });
        EXPECT_EQ(filter.targets, std::vector<TbFoundation::EventReceiver *>{ &window });
        EXPECT_EQ(window.events, std::vector<std::string>{ c.expected });
    }
}

TEST(AbstractPlatformWindow, EventsCarryTheirTimestamps)
{
    std::vector<std::string> log;
    GuiApplication app(std::make_unique<FakeGuiPlatformIntegration>(log));
    Window window;
    struct TimestampFilter : TbFoundation::EventReceiver {
        void event(TbFoundation::EventReceiver *, TbFoundation::Event *e) override
        {
            switch (e->type()) {
            case TbFoundation::Event::MousePress:
                stamps.push_back(static_cast<MouseButtonEvent *>(e)->timestamp());
                break;
            case TbFoundation::Event::MouseMove:
                stamps.push_back(static_cast<MouseMoveEvent *>(e)->timestamp());
                break;
            case TbFoundation::Event::MouseWheel:
                stamps.push_back(static_cast<MouseWheelEvent *>(e)->timestamp());
                break;
            case TbFoundation::Event::KeyPress:
                stamps.push_back(static_cast<KeyEvent *>(e)->timestamp());
                break;
            default:
                break;
            }
        }
        std::vector<uint32_t> stamps;
    } filter;
    app.installEventFilter(&filter);
    window.platformWindow()->handleMousePress(4000000000u, 1, 0, 0);
    window.platformWindow()->handleMouseMove(2, 0, 0, 0);
    window.platformWindow()->handleMouseWheel(3, 0, 0);
    window.platformWindow()->handleKeyPress(4, 0, -1, 0);
    EXPECT_EQ(filter.stamps, (std::vector<uint32_t>{ 4000000000u, 2, 3, 4 }));
}
