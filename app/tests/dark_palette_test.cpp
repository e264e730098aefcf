#include "dark_palette.h"

#include <QColor>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Relative luminance of an sRGB colour, 0 for black to 1 for white.
double luminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// From 1 (no difference) to 21 (black on white); 4.5 is the usual least for reading body text.
double contrast(const QColor &a, const QColor &b)
{
    const double lighter = std::max(luminance(a), luminance(b));
    const double darker = std::min(luminance(a), luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

TEST(DarkPalette, TextIsReadableOnItsDarkBackgroundInEveryColourGroup)
{
    const QPalette palette = ovi::darkPalette();
    const struct {
        QPalette::ColorRole text, background;
    } pairs[] = {
        { QPalette::WindowText, QPalette::Window },         { QPalette::Text, QPalette::Base },
        { QPalette::Text, QPalette::AlternateBase },        { QPalette::ButtonText, QPalette::Button },
        { QPalette::HighlightedText, QPalette::Highlight }, { QPalette::ToolTipText, QPalette::ToolTipBase },
    };
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        for (const auto &pair : pairs) {
            const QBrush &background = palette.brush(group, pair.background);
            const QColor text = palette.color(group, pair.text);
            EXPECT_EQ(background.style(), Qt::SolidPattern)
                    << "role " << int(pair.background) << " group " << int(group);
            EXPECT_GE(contrast(text, background.color()), 4.5)
                    << "text role " << int(pair.text) << " on role " << int(pair.background) << " group " << int(group);
        }
        for (QPalette::ColorRole background : { QPalette::Window, QPalette::Base, QPalette::Button })
            EXPECT_LT(palette.color(group, background).lightness(), 64)
                    << "role " << int(background) << " group " << int(group);
    }
}

} // namespace
