#include "vertical_label.h"

#include <QPainter>

namespace ovi {

VerticalLabel::VerticalLabel(QWidget *parent)
    : QLabel(parent)
{
}

QSize VerticalLabel::sizeHint() const
{
    return QLabel::sizeHint().transposed();
}

QSize VerticalLabel::minimumSizeHint() const
{
    return QLabel::minimumSizeHint().transposed();
}

void VerticalLabel::paintEvent(QPaintEvent *)
{
    // The label's own frame, alignment and margins play no part: only the rotated text is drawn.
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setBrush(Qt::Dense1Pattern);
    painter.rotate(90);
    painter.drawText(0, 0, text());
}

} // namespace ovi
