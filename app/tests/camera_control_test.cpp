#include "app_resources.h"
#include "camera_control.h"
#include "dark_palette.h"
#include "value_button.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QPushButton *button(const ovi::CameraControl &panel, const char *name)
{
    auto *found = panel.findChild<QPushButton *>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(AppResources, HoldEveryIconAt128Pixels)
{
    ovi::registerAppResources();
    for (const char *name : { ":/stereo3.png", ":/3D.png", ":/3Dcursor.png", ":/close.png", ":/b.png", ":/a.png",
                              ":/tavisher.png", ":/tavisher.ico" }) {
        const QPixmap pixmap(QString::fromLatin1(name));
        EXPECT_FALSE(pixmap.isNull()) << name;
        EXPECT_EQ(pixmap.size(), QSize(128, 128)) << name;
        EXPECT_TRUE(pixmap.hasAlphaChannel()) << name;
    }
    EXPECT_FALSE(QPixmap(ovi::applicationIconResource()).isNull());
}

TEST(CameraControl, HasSixStyledSquareIconButtons)
{
    ovi::CameraControl panel;
    EXPECT_STREQ(panel.metaObject()->className(), "ovi::CameraControl");
    const auto buttons = panel.findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), 6);
    for (QPushButton *b : buttons) {
        EXPECT_EQ(b->size(), QSize(128, 128)) << b->objectName().toStdString();
        EXPECT_EQ(b->minimumSize(), QSize(128, 128));
        EXPECT_EQ(b->maximumSize(), QSize(128, 128));
        EXPECT_EQ(b->iconSize(), QSize(128, 128));
        EXPECT_TRUE(b->isFlat());
        EXPECT_TRUE(b->text().isEmpty());
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
        EXPECT_FALSE(b->toolTip().isEmpty()) << b->objectName().toStdString();
    }
    const auto valueButtons = panel.findChildren<ovi::ValueButton *>();
    ASSERT_EQ(valueButtons.size(), 2);
    EXPECT_EQ(button(panel, "eyeDisparityButton")->findChild<QLabel *>()->text(), QStringLiteral("0.06"));
    EXPECT_EQ(button(panel, "focusPlaneButton")->findChild<QLabel *>()->text(), QStringLiteral("5.00"));
}

// The colour of a button's frame, as drawn, `inset` pixels in from the middle of its left edge.
QColor frameColour(QPushButton &button, int inset)
{
    const QImage image = button.grab().toImage();
    return image.pixelColor(inset, image.height() / 2);
}

TEST(CameraControl, ButtonFramesShowHoverAndPress)
{
    ovi::CameraControl panel;
    panel.resize(168, 1200);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const QColor grey(0x8f, 0x8f, 0x91);
    for (QPushButton *b : panel.findChildren<QPushButton *>()) {
        const std::string name = b->objectName().toStdString();
        EXPECT_EQ(frameColour(*b, 0), grey) << name;
        EXPECT_EQ(frameColour(*b, 1), grey) << name;
        EXPECT_NE(frameColour(*b, 2), grey) << name << ": the resting frame is 2 pixels wide";
        // Rounded: the corner itself lies outside the frame.
        EXPECT_NE(b->grab().toImage().pixelColor(0, 0), grey) << name;

        QTest::mouseMove(b, { 64, 64 });
        EXPECT_TRUE(b->underMouse()) << name;
        EXPECT_EQ(frameColour(*b, 3), QColor(Qt::red)) << name << " hovered";
        b->setDown(true);
        EXPECT_EQ(frameColour(*b, 3), QColor(Qt::yellow)) << name << " pressed";
        b->setDown(false);
        QTest::mouseMove(&panel, { 5, 5 });
        EXPECT_EQ(frameColour(*b, 0), grey) << name << " left alone";
    }
}

TEST(CameraControl, ClicksBecomeThePanelsSignals)
{
    ovi::CameraControl panel;
    const struct {
        const char *button;
        void (ovi::CameraControl::*signal)();
    } cases[] = {
        { "loadImageButton", &ovi::CameraControl::OnLoadImage },
        { "loadModelButton", &ovi::CameraControl::OnLoadModel },
        { "cursorButton", &ovi::CameraControl::OnToggleCursor },
        { "closeButton", &ovi::CameraControl::OnClose },
    };
    for (const auto &c : cases) {
        QSignalSpy all[] = {
            QSignalSpy(&panel, &ovi::CameraControl::OnLoadImage),
            QSignalSpy(&panel, &ovi::CameraControl::OnLoadModel),
            QSignalSpy(&panel, &ovi::CameraControl::OnToggleCursor),
            QSignalSpy(&panel, &ovi::CameraControl::OnClose),
        };
        QSignalSpy expected(&panel, c.signal);
        button(panel, c.button)->click();
        EXPECT_EQ(expected.count(), 1) << c.button;
        int total = 0;
        for (const auto &spy : all)
            total += spy.count();
        EXPECT_EQ(total, 1) << c.button << " emitted another signal too";
    }
}

TEST(CameraControl, CursorButtonStartsCheckedAndToggles)
{
    ovi::CameraControl panel;
    QPushButton *cursor = button(panel, "cursorButton");
    EXPECT_TRUE(cursor->isCheckable());
    EXPECT_TRUE(cursor->isChecked());
    cursor->click();
    EXPECT_FALSE(cursor->isChecked());
    cursor->click();
    EXPECT_TRUE(cursor->isChecked());
    for (const char *other : { "loadImageButton", "loadModelButton", "closeButton", "eyeDisparityButton" })
        EXPECT_FALSE(button(panel, other)->isCheckable()) << other;
}

TEST(CameraControl, ValueButtonsDriveEyeDisparityAndFocusPlane)
{
    ovi::CameraControl panel;
    panel.resize(170, 1000);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy disparity(&panel, &ovi::CameraControl::OnEyeDisparityChanged);
    QSignalSpy focus(&panel, &ovi::CameraControl::OnFocusPlaneChanged);

    QPushButton *eye = button(panel, "eyeDisparityButton");
    QTest::mousePress(eye, Qt::LeftButton, Qt::NoModifier, { 40, 64 });
    QTest::mouseMove(eye, { 40, 64 });
    QTest::mouseMove(eye, { 50, 64 });
    QTest::mouseRelease(eye, Qt::LeftButton, Qt::NoModifier, { 50, 64 });
    ASSERT_EQ(disparity.count(), 1);
    EXPECT_NEAR(disparity.at(0).at(0).toFloat(), 0.11f, 1e-6f);
    EXPECT_EQ(focus.count(), 0);

    QPushButton *focusButton = button(panel, "focusPlaneButton");
    QTest::mousePress(focusButton, Qt::LeftButton, Qt::NoModifier, { 64, 100 });
    QTest::mouseMove(focusButton, { 64, 100 });
    QTest::mouseMove(focusButton, { 64, 80 });
    QTest::mouseRelease(focusButton, Qt::LeftButton, Qt::NoModifier, { 64, 80 });
    ASSERT_EQ(focus.count(), 1);
    EXPECT_NEAR(focus.at(0).at(0).toFloat(), 14.95f, 1e-4f);
    EXPECT_EQ(disparity.count(), 1);
}

TEST(CameraControl, LaysTheButtonsOutInAColumnWithCloseAtTheBottom)
{
    ovi::CameraControl panel;
    panel.resize(168, 1200);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const char *order[] = { "loadImageButton",    "loadModelButton",  "cursorButton",
                            "eyeDisparityButton", "focusPlaneButton", "closeButton" };
    int previousBottom = 0;
    for (const char *name : order) {
        const QRect r = button(panel, name)->geometry();
        EXPECT_EQ(r.left(), 20) << name;
        EXPECT_GT(r.top(), previousBottom) << name;
        previousBottom = r.bottom();
    }
    // Margins of 20 (the style may add a pixel or two around the frame), 50 between the first three
    // buttons and 50 more before the value buttons; the stretch pushes the close button to the bottom.
    const auto top = [&](const char *name) { return button(panel, name)->geometry().top(); };
    const auto bottom = [&](const char *name) { return button(panel, name)->geometry().bottom(); };
    EXPECT_GE(top("loadImageButton"), 20);
    EXPECT_LE(top("loadImageButton"), 24);
    const int actionGap = top("loadModelButton") - bottom("loadImageButton") - 1;
    EXPECT_GE(actionGap, 50);
    EXPECT_EQ(top("cursorButton") - bottom("loadModelButton") - 1, actionGap);
    EXPECT_GE(top("eyeDisparityButton") - bottom("cursorButton") - 1, 50);
    EXPECT_LT(top("focusPlaneButton") - bottom("eyeDisparityButton") - 1, 50);
    EXPECT_GT(top("closeButton") - bottom("focusPlaneButton"), 150);
    EXPECT_GE(bottom("closeButton"), 1200 - 24 - 1);
    EXPECT_LE(bottom("closeButton"), 1200 - 20 + 2);
}

TEST(CameraControl, ValueLabelsAreLightOnTheDarkPalette)
{
    const QPalette previous = QApplication::palette();
    {
        // As in the viewer: the panel is made before the application takes its style and the dark palette.
        ovi::CameraControl panel;
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(ovi::darkPalette());
        panel.resize(170, 1000);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        for (const char *name : { "eyeDisparityButton", "focusPlaneButton" }) {
            auto *label = button(panel, name)->findChild<QLabel *>();
            ASSERT_NE(label, nullptr) << name;
            const QImage image = label->grab().toImage();
            // The ink: the pixels that differ most from the dark panel.
            int light = 0;
            int dark = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const int grey = qGray(image.pixel(x, y));
                    light += grey > 180;
                    dark += grey < 20;
                }
            }
            EXPECT_GT(light, 10) << name << ": no light ink";
            EXPECT_EQ(dark, 0) << name << ": dark ink on the dark panel";
        }
    }
    QApplication::setPalette(previous);
}

} // namespace
