#include "window.h"

#include "camera_control.h"

#include <QDockWidget>
#include <QWindow>

namespace ovi {

Window::Window(QWindow *vulkanWindow)
    : QMainWindow(nullptr, Qt::WindowFlags())
    , vulkanWindow_(vulkanWindow)
{
    // No title of its own: Qt shows the application's name.
    resize(defaultWidth, defaultHeight);

    cameraDock_ = new QDockWidget(QStringLiteral("Camera"), this, Qt::WindowFlags());
    cameraControl_ = new CameraControl(cameraDock_);
    cameraDock_->setWidget(cameraControl_);
    addDockWidget(Qt::RightDockWidgetArea, cameraDock_);
    // Movable and floatable only: the dock has no close button.
    cameraDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

    setCentralWidget(QWidget::createWindowContainer(vulkanWindow, nullptr, Qt::WindowFlags()));
}

Window::~Window() = default;

} // namespace ovi
