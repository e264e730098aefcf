#pragma once

#include <QWidget>

class QPushButton;

namespace ovi {

class ValueButton;

// The "Camera" dock's panel: a column of 128 px icon buttons. Two value buttons set the eye disparity and
// the focus plane by dragging; the close button at the bottom asks for the main window to close.
class CameraControl : public QWidget
{
    Q_OBJECT

public:
    explicit CameraControl(QWidget *parent = nullptr);
    ~CameraControl() override;

Q_SIGNALS:
    void OnEyeDisparityChanged(float value);
    void OnFocusPlaneChanged(float value);
    void OnLoadImage();
    void OnLoadModel();
    void OnToggleCursor();
    void OnClose();
};

} // namespace ovi
