#pragma once

#include <QLabel>

namespace ovi {

// A label whose text runs top to bottom from its top-left corner (rotated by +90 degrees), for the value
// button that is dragged up and down. Its size hints are QLabel's with width and height exchanged.
class VerticalLabel : public QLabel
{
public:
    explicit VerticalLabel(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ovi
