#include "window_destruction_watcher.h"

#include "window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

namespace ovi {

WindowDestructionWatcher::WindowDestructionWatcher(Window *window)
    : window(window)
{
}

WindowDestructionWatcher::~WindowDestructionWatcher() = default;

bool WindowDestructionWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const bool forVulkanWindow = watched != nullptr && watched == window->vulkanWindow();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        if (forVulkanWindow)
            Q_EMIT OnMouseEvent(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::KeyPress: {
        // Key presses count wherever the keyboard focus is, so the shortcuts work from any widget.
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        Q_EMIT OnKeyPress(keyEvent);
        if (keyEvent->key() == Qt::Key_Return && keyEvent->modifiers().testFlag(Qt::AltModifier))
            window->setWindowState(Qt::WindowFullScreen);
        if (keyEvent->key() == Qt::Key_Escape && window->isFullScreen())
            window->setWindowState(Qt::WindowNoState);
        break;
    }
    case QEvent::Close:
        if (watched == window) {
            QCoreApplication::instance()->removeEventFilter(this);
            Q_EMIT OnClose();
        }
        break;
    case QEvent::Wheel:
        if (forVulkanWindow)
            Q_EMIT OnScroll(static_cast<QWheelEvent *>(event));
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ovi
