#include "value_button.h"
#include "vertical_label.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A button shown at the size the panel gives it, so QTest can deliver the pointer to it.
std::unique_ptr<ovi::ValueButton> shownButton(int horizontal, float minimum, float maximum, float value)
{
    auto button = std::make_unique<ovi::ValueButton>(QIcon(), horizontal, minimum, maximum, value);
    button->setFixedSize(128, 128);
    button->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(button.get()));
    return button;
}

// Presses the left button at `start`, moves through `path` and releases at the last point.
void drag(QWidget *widget, QPoint start, std::initializer_list<QPoint> path)
{
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, start);
    QPoint last = start;
    for (const QPoint &p : path) {
        QTest::mouseMove(widget, p);
        last = p;
    }
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, last);
}

float lastEmitted(const QSignalSpy &spy)
{
    return spy.last().at(0).toFloat();
}

TEST(ValueButton, ShowsItsStartValueWithTwoDecimals)
{
    const struct {
        int horizontal;
        float value;
        const char *text;
    } cases[] = { { 1, 0.06f, "0.06" }, { 0, 5.0f, "5.00" }, { 1, 0.125f, "0.13" } };
    for (const auto &c : cases) {
        ovi::ValueButton button(QIcon(), c.horizontal, 0.0f, 100.0f, c.value);
        EXPECT_EQ(button.valueLabel()->text(), QString::fromLatin1(c.text));
        EXPECT_EQ(button.valueLabel()->font().family(), QStringLiteral("Arial"));
        EXPECT_EQ(button.valueLabel()->font().pointSize(), 15);
        EXPECT_EQ(button.valueLabel()->alignment(), Qt::AlignHCenter | Qt::AlignBottom);
        EXPECT_TRUE(button.text().isEmpty());
        // Dragged up and down: the label is drawn vertically.
        EXPECT_EQ(dynamic_cast<ovi::VerticalLabel *>(button.valueLabel()) != nullptr, c.horizontal == 0);
    }
}

TEST(ValueButton, DraggingRightMovesHalfAPercentOfTheRangePerPixel)
{
    auto button = shownButton(1, 0.0f, 1.0f, 0.06f);
    QSignalSpy changes(button.get(), &ovi::ValueButton::OnValueChanged);
    drag(button.get(), { 40, 64 }, { { 40, 64 }, { 50, 64 } });
    EXPECT_NEAR(button->currentValue(), 0.11f, 1e-6f);
    EXPECT_EQ(button->valueLabel()->text(), QStringLiteral("0.11"));
    ASSERT_EQ(changes.count(), 1) << "the first move after the press only records the position";
    EXPECT_NEAR(lastEmitted(changes), 0.11f, 1e-6f);
}

TEST(ValueButton, ClampsAtBothEndsAndStillAnnounces)
{
    auto button = shownButton(1, 0.0f, 1.0f, 0.06f);
    QSignalSpy changes(button.get(), &ovi::ValueButton::OnValueChanged);
    drag(button.get(), { 120, 64 }, { { 120, 64 }, { 20, 64 }, { 10, 64 } });
    EXPECT_EQ(button->currentValue(), 0.0f);
    EXPECT_EQ(button->valueLabel()->text(), QStringLiteral("0.00"));
    ASSERT_EQ(changes.count(), 2) << "a move that stays clamped is still announced";
    EXPECT_EQ(lastEmitted(changes), 0.0f);

    // 300 pixels right crosses more than the whole range.
    drag(button.get(), { 0, 64 }, { { 0, 64 }, { 100, 64 }, { 200, 64 }, { 300, 64 } });
    EXPECT_EQ(button->currentValue(), 1.0f);
    EXPECT_EQ(button->valueLabel()->text(), QStringLiteral("1.00"));
}

TEST(ValueButton, VerticalButtonGrowsWhenDraggedUp)
{
    auto button = shownButton(0, 0.5f, 100.0f, 5.0f);
    drag(button.get(), { 64, 100 }, { { 64, 100 }, { 64, 80 } });
    EXPECT_NEAR(button->currentValue(), 14.95f, 1e-4f);
    EXPECT_EQ(button->valueLabel()->text(), QStringLiteral("14.95"));
    // Sideways movement means nothing to it.
    drag(button.get(), { 10, 80 }, { { 10, 80 }, { 100, 80 } });
    EXPECT_NEAR(button->currentValue(), 14.95f, 1e-4f);
    drag(button.get(), { 64, 0 }, { { 64, 0 }, { 64, 127 }, { 64, 300 } });
    EXPECT_EQ(button->currentValue(), 0.5f);
    EXPECT_EQ(button->valueLabel()->text(), QStringLiteral("0.50"));
}

TEST(ValueButton, EveryPressStartsWithARecordingMove)
{
    auto button = shownButton(1, 0.0f, 1.0f, 0.5f);
    drag(button.get(), { 10, 64 }, { { 10, 64 }, { 20, 64 } });
    EXPECT_NEAR(button->currentValue(), 0.55f, 1e-6f);
    // The pointer travelled while released: the next drag must not jump by that distance.
    drag(button.get(), { 100, 64 }, { { 100, 64 } });
    EXPECT_NEAR(button->currentValue(), 0.55f, 1e-6f);
}

TEST(ValueButton, RightButtonDoesNothing)
{
    auto button = shownButton(1, 0.0f, 1.0f, 0.06f);
    QSignalSpy changes(button.get(), &ovi::ValueButton::OnValueChanged);
    QTest::mousePress(button.get(), Qt::RightButton, Qt::NoModifier, { 10, 64 });
    QTest::mouseMove(button.get(), { 10, 64 });
    QTest::mouseMove(button.get(), { 60, 64 });
    QTest::mouseRelease(button.get(), Qt::RightButton, Qt::NoModifier, { 60, 64 });
    EXPECT_FLOAT_EQ(button->currentValue(), 0.06f);
    EXPECT_EQ(button->valueLabel()->text(), QStringLiteral("0.06"));
    EXPECT_EQ(changes.count(), 0);
}

TEST(VerticalLabel, ExchangesWidthAndHeightOfItsHints)
{
    ovi::VerticalLabel vertical;
    QLabel plain;
    vertical.setText(QStringLiteral("14.95"));
    plain.setText(QStringLiteral("14.95"));
    EXPECT_EQ(vertical.sizeHint(), plain.sizeHint().transposed());
    EXPECT_EQ(vertical.minimumSizeHint(), plain.minimumSizeHint().transposed());
    EXPECT_GT(vertical.sizeHint().height(), vertical.sizeHint().width());
    EXPECT_STREQ(vertical.metaObject()->className(), "QLabel");
}

TEST(VerticalLabel, DrawsItsTextTopToBottom)
{
    ovi::VerticalLabel label;
    label.setText(QStringLiteral("14.95"));
    label.resize(label.sizeHint());
    QImage image = label.grab().toImage();
    // The extent of the dark (black text) pixels: tall and narrow, starting at the top-left.
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 60)
                ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LT(ink.top(), 5);
    EXPECT_LT(ink.left(), image.width() / 2 + 1);
}

} // namespace
