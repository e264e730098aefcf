#pragma once

#include <QPoint>
#include <QPushButton>

class QLabel;

namespace ovi {

// An icon button that doubles as a drag slider: dragging it with the left button moves its value by 0.5 %
// of the range per pixel (right or up increases it), clamped to the range, and shows the value with two
// decimals in a label on the button.
class ValueButton : public QPushButton
{
    Q_OBJECT

public:
    // Share of the range that one pixel of drag moves the value.
    static constexpr float rangePerPixel = 0.005f;

    // horizontal != 0: dragged sideways, label below the icon; 0: dragged up and down, label beside the
    // icon, drawn vertically.
    ValueButton(const QIcon &icon, int horizontal, float minimum, float maximum, float value,
                QWidget *parent = nullptr);
    ~ValueButton() override;

    float currentValue() const { return value; }
    QLabel *valueLabel() const { return label; }

Q_SIGNALS:
    void OnValueChanged(float value);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QLabel *label = nullptr;
    float minimum = 0.0f;
    float maximum = 0.0f;
    float value = 0.0f;
    QPoint lastPosition{ 0, 0 };
    // The first move after a left press only records where the drag starts.
    bool firstMove = false;
    int horizontal = 1;
};

} // namespace ovi
