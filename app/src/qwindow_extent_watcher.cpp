#include "qwindow_extent_watcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <cmath>

namespace ovi {

namespace {

uint32_t toDevicePixels(int logicalPixels, const QWindow *window)
{
    if (window == nullptr)
        return 0;
    const QScreen *screen = window->screen();
    const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    return static_cast<uint32_t>(std::ceil(static_cast<double>(logicalPixels) * ratio));
}

} // namespace

QWindowExtentWatcher::QWindowExtentWatcher(QWindow *window)
    : window(window)
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

QWindowExtentWatcher::~QWindowExtentWatcher() = default;

uint32_t QWindowExtentWatcher::width() const
{
    return toDevicePixels(window ? window->width() : 0, window);
}

uint32_t QWindowExtentWatcher::height() const
{
    return toDevicePixels(window ? window->height() : 0, window);
}

float QWindowExtentWatcher::scaleFactor() const
{
    return 1.0f;
}

} // namespace ovi
