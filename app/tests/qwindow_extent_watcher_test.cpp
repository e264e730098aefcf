#include "qwindow_extent_watcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

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
    for (const auto &c : cases) {
        window.resize(c.logical);
        EXPECT_EQ(watcher.width(), c.width) << c.logical.width();
        EXPECT_EQ(watcher.height(), c.height) << c.logical.height();
    }
    EXPECT_EQ(watcher.scaleFactor(), 1.0f);
}

TEST(QWindowExtentWatcher, AsksForPassThroughScaling)
{
    QWindow window;
    ovi::QWindowExtentWatcher watcher(&window);
    EXPECT_EQ(QGuiApplication::highDpiScaleFactorRoundingPolicy(), Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

} // namespace
