#include "dark_palette.h"

#include <QColor>

namespace ovi {

QPalette darkPalette()
{
    const QColor dark(53, 53, 53);
    const QColor darker(25, 25, 25);
    const QColor accent(42, 130, 218);

    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, const QColor &colour) {
        palette.setBrush(QPalette::All, role, QBrush(colour, Qt::SolidPattern));
    };
    set(QPalette::Window, dark);
    set(QPalette::WindowText, Qt::white);
    set(QPalette::Base, darker);
    set(QPalette::AlternateBase, dark);
    set(QPalette::ToolTipBase, Qt::white);
    // Tooltips keep their white background; white text on it could not be read.
    set(QPalette::ToolTipText, Qt::black);
    set(QPalette::Text, Qt::white);
    set(QPalette::Button, dark);
    set(QPalette::ButtonText, Qt::white);
    set(QPalette::BrightText, Qt::red);
    set(QPalette::Link, accent);
    set(QPalette::Highlight, accent);
    set(QPalette::HighlightedText, Qt::black);
    return palette;
}

} // namespace ovi
