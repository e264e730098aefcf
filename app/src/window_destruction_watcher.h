#pragma once

#include <QObject>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace ovi {

class Window;

// The application-wide event filter, and with it the application-wide shortcut filter despite its name.
// It re-emits mouse and wheel input of the Vulkan window, switches the main window to full screen on
// Alt+Return and back on Escape, and announces the main window's close once. It never consumes an event.
class WindowDestructionWatcher : public QObject
{
    Q_OBJECT

public:
    explicit WindowDestructionWatcher(Window *window);
    ~WindowDestructionWatcher() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    // Emitted at most once: the filter removes itself from the application before emitting.
    void OnClose();
    // The event is valid only during the emission.
    void OnMouseEvent(QMouseEvent *event);
    // The event is valid only during the emission.
    void OnScroll(QWheelEvent *event);
    // Every key press, wherever the keyboard focus is. One press may reach the filter more than once on its way
    // to the focused widget and its parents; the event is valid only during the emission.
    void OnKeyPress(QKeyEvent *event);

private:
    Window *window = nullptr;
};

} // namespace ovi
