#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QWindow>

class QDockWidget;

namespace ovi {

class CameraControl;

// The main window: 1920 x 1080, the Vulkan window embedded as the central widget and the "Camera" dock
// with the camera control panel on the right. Closing is observed by the application's watcher.
class Window : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int defaultWidth = 1920;
    static constexpr int defaultHeight = 1080;

    explicit Window(QWindow *vulkanWindow);
    ~Window() override;

    QWindow *vulkanWindow() const { return vulkanWindow_; }
    CameraControl *cameraControl() const { return cameraControl_; }
    QDockWidget *cameraDock() const { return cameraDock_; }

private:
    // Not owned: it belongs to the engine bundle and goes with it, which clears this pointer.
    QPointer<QWindow> vulkanWindow_;
    CameraControl *cameraControl_ = nullptr;
    QDockWidget *cameraDock_ = nullptr;
};

} // namespace ovi
