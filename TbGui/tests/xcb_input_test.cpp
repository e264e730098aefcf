#include "xcb_window_fixture.h"

#include <TbGui/key.h>

using TbFoundation::Event;
using namespace std::chrono_literals;

namespace {

// Keycodes of the server's default US keyboard map.
constexpr xcb_keycode_t escapeKeycode = 9;
constexpr xcb_keycode_t aKeycode = 38;
constexpr xcb_keycode_t leftShiftKeycode = 50;
constexpr xcb_keycode_t capsLockKeycode = 66;

} // namespace

class XcbInputTest : public XcbWindowTest
{
protected:
    void SetUp() override
    {
        XcbWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        display.focus(id());
        display.movePointerTo(10, 10);
        pumpFor(*app, 50ms);
        window->events.clear();
    }
};

TEST_F(XcbInputTest, EscapeGivesKey256WithNativeCode1AndNoText)
{
    display.tapKey(escapeKeycode);
    EXPECT_EQ(waitForEvents(Event::KeyRelease), std::vector<std::string>{ "KeyRelease native=1 key=256 modifiers=0" });
    EXPECT_EQ(window->eventsOfType(Event::KeyPress),
              std::vector<std::string>{ "KeyPress native=1 key=256 modifiers=0" });
    EXPECT_TRUE(window->eventsOfType(Event::TextInput).empty());
}

TEST_F(XcbInputTest, LetterKeysGiveTheirCodeTextAndModifiers)
{
    display.tapKey(aKeycode);
    EXPECT_EQ(waitForEvents(Event::TextInput), std::vector<std::string>{ "TextInput 61" });

    display.pressKey(leftShiftKeycode);
    display.tapKey(aKeycode);
    display.releaseKey(leftShiftKeycode);
    EXPECT_EQ(waitForEvents(Event::TextInput, 2), (std::vector<std::string>{ "TextInput 61", "TextInput 41" }));
    waitForEvents(Event::KeyRelease, 3);
    EXPECT_EQ(window->events,
              (std::vector<std::string>{
                      "KeyPress native=30 key=65 modifiers=0",
                      "TextInput 61",
                      "KeyRelease native=30 key=65 modifiers=0",
                      "KeyPress native=42 key=317 modifiers=1",
                      "KeyPress native=30 key=65 modifiers=1",
                      "TextInput 41",
                      "KeyRelease native=30 key=65 modifiers=1",
                      "KeyRelease native=42 key=317 modifiers=0",
              }));
}

TEST_F(XcbInputTest, CapsLockIsReportedFromItsToggleState)
{
    display.tapKey(capsLockKeycode);
    display.tapKey(aKeycode);
    display.tapKey(capsLockKeycode); // and off again
    waitForEvents(Event::KeyRelease, 3);
    EXPECT_EQ(window->events,
              (std::vector<std::string>{
                      "KeyPress native=58 key=270 modifiers=16",
                      "KeyRelease native=58 key=270 modifiers=16",
                      "KeyPress native=30 key=65 modifiers=16",
                      "TextInput 41",
                      "KeyRelease native=30 key=65 modifiers=16",
                      // X locks when the key goes down and unlocks when it comes up again.
                      "KeyPress native=58 key=270 modifiers=16",
                      "KeyRelease native=58 key=270 modifiers=0",
              }));
}

TEST_F(XcbInputTest, TypedNonAsciiCharacterArrivesAsUtf8)
{
    // "é" is not on the US map: bind it to a spare key first, as an input method or xdotool would.
    const xcb_keycode_t eAcute = display.bindSpareKeycode({ 0xe9, 0xc9 });
    ASSERT_NE(eAcute, 0);
    pumpFor(*app, 50ms); // take in the changed keyboard map
    display.tapKey(eAcute);
    EXPECT_EQ(waitForEvents(Event::TextInput), std::vector<std::string>{ "TextInput C3 A9" });
    const auto presses = window->eventsOfType(Event::KeyPress);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0], "KeyPress native=" + std::to_string(eAcute - 8) + " key=-1 modifiers=0");
}

TEST_F(XcbInputTest, WheelNotchesGive120PerNotch)
{
    struct Case {
        uint8_t button;
        const char *expected;
    };
    const Case cases[] = {
        { 4, "MouseWheel x=0 y=120" }, // away from the user
        { 5, "MouseWheel x=0 y=-120" }, // towards the user
        { 6, "MouseWheel x=120 y=0" }, // left
        { 7, "MouseWheel x=-120 y=0" }, // right
    };
    for (const Case &c : cases) {
        window->events.clear();
        display.clickButton(c.button);
        EXPECT_EQ(waitForEvents(Event::MouseWheel), std::vector<std::string>{ c.expected }) << int(c.button);
        pumpFor(*app, 20ms);
        EXPECT_EQ(window->events, std::vector<std::string>{ c.expected }) << "the release is no second notch";
    }
}

TEST_F(XcbInputTest, ButtonsArriveWithTheirFlagsAtThePointerPosition)
{
    struct Case {
        uint8_t xButton;
        int flag;
    };
    const Case cases[] = { { 1, 1 }, { 2, 2 }, { 3, 4 } };
    display.movePointerTo(123, 45);
    for (const Case &c : cases) {
        window->events.clear();
        display.clickButton(c.xButton);
        waitForEvents(Event::MouseRelease);
        const std::string where = " x=123 y=45";
        EXPECT_EQ(window->eventsOfType(Event::MousePress),
                  std::vector<std::string>{ "MousePress button=" + std::to_string(c.flag) + where });
        EXPECT_EQ(window->eventsOfType(Event::MouseRelease),
                  std::vector<std::string>{ "MouseRelease button=" + std::to_string(c.flag) + where });
    }
}

TEST_F(XcbInputTest, MovesReportThePositionAndTheHeldButtons)
{
    display.movePointerTo(50, 60);
    EXPECT_EQ(waitForEvents(Event::MouseMove), std::vector<std::string>{ "MouseMove buttons=0 x=50 y=60" });
    display.pressButton(1);
    display.movePointerTo(70, 61);
    display.releaseButton(1);
    EXPECT_EQ(waitForEvents(Event::MouseMove, 2),
              (std::vector<std::string>{ "MouseMove buttons=0 x=50 y=60", "MouseMove buttons=1 x=70 y=61" }));
}

TEST_F(XcbInputTest, GrabbedPointerReportsEveryRealMoveAndNoRecentringEcho)
{
    display.movePointerTo(100, 100);
    waitForEvents(Event::MouseMove);
    window->events.clear();

    platform()->grabMouse();
    ASSERT_TRUE(platform()->isMouseGrabbed());
    EXPECT_TRUE(eventually([&] { return display.pointerIsGrabbedByAnother(); }));
    // Put to the centre of the window; that warp is not a move.
    ASSERT_TRUE(eventually([&] { return display.pointer().rootX == 200 && display.pointer().rootY == 150; }));
    pumpFor(*app, 30ms);
    EXPECT_TRUE(window->eventsOfType(Event::MouseMove).empty());

    // Each move is added to the virtual position, which may leave the window.
    const int16_t moves[][2] = { { 10, 0 }, { -5, 7 }, { 150, 0 }, { 150, 0 }, { 150, 0 } };
    std::vector<std::string> expected;
    int64_t x = 100, y = 100;
    for (const auto &move : moves) {
        display.movePointerBy(move[0], move[1]);
        x += move[0];
        y += move[1];
        expected.push_back("MouseMove buttons=0 x=" + std::to_string(x) + " y=" + std::to_string(y));
        EXPECT_EQ(waitForEvents(Event::MouseMove, expected.size()), expected);
        // Back at the centre before the next move.
        ASSERT_TRUE(eventually([&] { return display.pointer().rootX == 200 && display.pointer().rootY == 150; }));
    }
    pumpFor(*app, 30ms);
    EXPECT_EQ(window->eventsOfType(Event::MouseMove), expected);

    platform()->releaseMouse();
    EXPECT_FALSE(platform()->isMouseGrabbed());
    EXPECT_TRUE(eventually([&] { return !display.pointerIsGrabbedByAnother(); }));
    EXPECT_TRUE(eventually([&] { return display.pointer().rootX == 100 && display.pointer().rootY == 100; }));
}

TEST_F(XcbInputTest, RawMotionDrivesTheGrabbedPointer)
{
    platform()->enableRawMouseInput();
    if (!platform()->isRawMouseInputEnabled())
        GTEST_SKIP() << "the X server offers no XInput 2 raw motion";

    display.movePointerTo(100, 100);
    pumpFor(*app, 30ms);
    platform()->grabMouse();
    ASSERT_TRUE(eventually([&] { return display.pointer().rootX == 200 && display.pointer().rootY == 150; }));
    pumpFor(*app, 30ms);
    window->events.clear();

    display.movePointerBy(12, -4);
    EXPECT_EQ(waitForEvents(Event::MouseMove), std::vector<std::string>{ "MouseMove buttons=0 x=112 y=96" });
    ASSERT_TRUE(eventually([&] { return display.pointer().rootX == 200 && display.pointer().rootY == 150; }));
    display.movePointerBy(-2, 3);
    EXPECT_EQ(waitForEvents(Event::MouseMove, 2),
              (std::vector<std::string>{ "MouseMove buttons=0 x=112 y=96", "MouseMove buttons=0 x=110 y=99" }));
    pumpFor(*app, 30ms);
    EXPECT_EQ(window->eventsOfType(Event::MouseMove).size(), 2u);

    platform()->releaseMouse();
    platform()->disableRawMouseInput();
    EXPECT_FALSE(platform()->isRawMouseInputEnabled());
}

TEST_F(XcbInputTest, HidingTheWindowEndsTheGrab)
{
    platform()->grabMouse();
    ASSERT_TRUE(platform()->isMouseGrabbed());
    EXPECT_TRUE(eventually([&] { return display.pointerIsGrabbedByAnother(); }));
    window->visible = false;
    EXPECT_FALSE(platform()->isMouseGrabbed());
    EXPECT_TRUE(eventually([&] { return !display.pointerIsGrabbedByAnother(); }));
}

TEST_F(XcbInputTest, GrabEndedByTheServerIsNoticed)
{
    platform()->grabMouse();
    ASSERT_TRUE(platform()->isMouseGrabbed());
    // Unmapped behind the window's back, as a window manager might.
    xcb_unmap_window(display.connection(), id());
    display.sync();
    EXPECT_TRUE(pumpUntil(*app, [&] { return !platform()->isMouseGrabbed(); }));
}
