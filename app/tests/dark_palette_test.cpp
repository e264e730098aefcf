#include "dark_palette.h"

#include <gtest/gtest.h>

namespace {

TEST(DarkPalette, SetsEveryRoleForAllColourGroups)
{
    const QPalette palette = ovi::darkPalette();
    const struct
    {
        QPalette::ColorRole role;
        QColor colour;
    } cases[] = {
        {QPalette::Window, QColor(53, 53, 53)},       {QPalette::WindowText, Qt::white},
        {QPalette::Base, QColor(25, 25, 25)},         {QPalette::AlternateBase, QColor(53, 53, 53)},
        {QPalette::ToolTipBase, Qt::white},           {QPalette::ToolTipText, Qt::white},
        {QPalette::Text, Qt::white},                  {QPalette::Button, QColor(53, 53, 53)},
        {QPalette::ButtonText, Qt::white},            {QPalette::BrightText, Qt::red},
        {QPalette::Link, QColor(42, 130, 218)},       {QPalette::Highlight, QColor(42, 130, 218)},
        {QPalette::HighlightedText, Qt::black},
    };
    for (const auto& c : cases)
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QBrush& brush = palette.brush(group, c.role);
            EXPECT_EQ(brush.color(), c.colour) << "role " << int(c.role) << " group " << int(group);
            EXPECT_EQ(brush.color().alpha(), 255);
            EXPECT_EQ(brush.style(), Qt::SolidPattern);
        }
}

} // namespace
