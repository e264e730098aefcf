#include "value_button.h"

#include "vertical_label.h"

#include <QBoxLayout>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace ovi {

namespace {

QString formatValue(float value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

ValueButton::ValueButton(const QIcon &icon, int horizontal, float minimum, float maximum, float value, QWidget *parent)
    : QPushButton(icon, QString(), parent)
    , minimum(minimum)
    , maximum(maximum)
    , value(value)
    , horizontal(horizontal)
{
    if (horizontal == 0)
        label = new VerticalLabel(this);
    else
        label = new QLabel(this);
    label->setFont(QFont(QStringLiteral("Arial"), 15));
    // The value sits on the dark panel. Inside a style-sheeted button the label does not follow the application's
    // palette (it keeps the style's light-theme text colour), so its colour is given here.
    label->setStyleSheet(QStringLiteral("color: #ffffff;"));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    label->setText(formatValue(value));

    QBoxLayout *layout = nullptr;
    if (horizontal == 0)
        layout = new QHBoxLayout;
    else
        layout = new QVBoxLayout;
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->setAlignment(horizontal == 0 ? (Qt::AlignRight | Qt::AlignBottom) : (Qt::AlignHCenter | Qt::AlignTop));
    setLayout(layout);
}

ValueButton::~ValueButton() = default;

void ValueButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        firstMove = true;
    QPushButton::mousePressEvent(event);
}

void ValueButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPushButton::mouseReleaseEvent(event);
}

void ValueButton::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton) {
        const QPoint position = event->position().toPoint();
        if (firstMove) {
            firstMove = false;
            lastPosition = position;
        } else {
            const int d = horizontal != 0 ? position.x() - lastPosition.x() : lastPosition.y() - position.y();
            value = std::clamp(value + (maximum - minimum) * static_cast<float>(d) * rangePerPixel, minimum, maximum);
            lastPosition = position;
            label->setText(formatValue(value));
            // Emitted even when the clamp leaves the value unchanged.
            Q_EMIT OnValueChanged(value);
        }
    }
    QPushButton::mouseMoveEvent(event);
}

} // namespace ovi
