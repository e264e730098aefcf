#include "qwindow_extent_watcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The test runs with QT_SCALE_FACTOR=1.5, so the screen reports a device-pixel ratio of 1.5.
TEST(QWindowExtentWatcher, RoundsTheDevicePixelSizeUp)
{
    QWindow window;
    ovi::QWindowExtentWatcher watcher(&window);
    ASSERT_DOUBLE_EQ(window.screen()->devicePixelRatio(), 1.5);
    const struct {
        QSize logical;
        uint32_t width, height;
    } cases[] = {
        { { 101, 51 }, 152, 77 }, { { 100, 50 }, 150, 75 }, { { 1, 1 }, 2, 2 }, { { 1280, 720 }, 1920, 1080 }
    };
    // The render target asks through the engine's interface.
    const Orvane::WindowExtentWatcher &engineSide = watcher;
    for (const auto &c : cases) {
        window.resize(c.logical);
        EXPECT_EQ(engineSide.width(), c.width) << c.logical.width();
        EXPECT_EQ(engineSide.height(), c.height) << c.logical.height();
    }
    EXPECT_EQ(engineSide.scaleFactor(), 1.0f);
}

TEST(QWindowExtentWatcher, AWindowThatIsGoneHasNoSize)
{
    auto window = std::make_unique<QWindow>();
    window->resize(100, 50);
    ovi::QWindowExtentWatcher watcher(window.get());
    window.reset();
    EXPECT_EQ(watcher.width(), 0u);
    EXPECT_EQ(watcher.height(), 0u);
}

TEST(QWindowExtentWatcher, AsksForPassThroughScaling)
{
    QWindow window;
    ovi::QWindowExtentWatcher watcher(&window);
    EXPECT_EQ(QGuiApplication::highDpiScaleFactorRoundingPolicy(), Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

} // namespace
