#include "camera_control.h"
#include "window.h"
#include "window_destruction_watcher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class WatchedWindow : public ::testing::Test
{
protected:
    WatchedWindow()
        : vulkanWindow(new QWindow)
        , window(vulkanWindow)
        , watcher(&window)
    {
        qRegisterMetaType<QMouseEvent *>();
        qRegisterMetaType<QWheelEvent *>();
        QCoreApplication::instance()->installEventFilter(&watcher);
    }

    ~WatchedWindow() override { QCoreApplication::instance()->removeEventFilter(&watcher); }

    QWidget *panelButton() const
    {
        return window.cameraControl()->findChild<QPushButton *>(QStringLiteral("closeButton"));
    }

    void sendMouse(QObject *receiver, QEvent::Type type)
    {
        QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(receiver, &event);
    }

    void sendWheel(QObject *receiver)
    {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(receiver, &event);
    }

    void sendKey(QObject *receiver, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(receiver, &event);
    }

    void sendClose(QObject *receiver)
    {
        QCloseEvent event;
        QCoreApplication::sendEvent(receiver, &event);
    }

    QWindow *vulkanWindow; // owned by the window's container
    ovi::Window window;
    ovi::WindowDestructionWatcher watcher;
};

TEST(Window, FramesTheVulkanWindowAndTheCameraDock)
{
    auto *vulkanWindow = new QWindow;
    ovi::Window window(vulkanWindow);
    EXPECT_STREQ(window.metaObject()->className(), "ovi::Window");
    EXPECT_EQ(window.size(), QSize(1920, 1080));
    EXPECT_TRUE(window.windowTitle().isEmpty());
    EXPECT_EQ(window.vulkanWindow(), vulkanWindow);

    QDockWidget *dock = window.cameraDock();
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->windowTitle(), QStringLiteral("Camera"));
    EXPECT_EQ(window.dockWidgetArea(dock), Qt::RightDockWidgetArea);
    EXPECT_EQ(int(dock->features()), 6);
    EXPECT_EQ(dock->widget(), window.cameraControl());
    EXPECT_EQ(window.findChildren<QDockWidget *>().size(), 1);

    // The central widget is the container of the Vulkan window.
    QWidget *central = window.centralWidget();
    ASSERT_NE(central, nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(vulkanWindow->parent(),
              central->windowHandle() != nullptr ? central->windowHandle() : window.windowHandle());
    EXPECT_GT(central->width(), 1000);
    EXPECT_GT(dock->geometry().left(), central->geometry().left());
}

TEST_F(WatchedWindow, ForwardsMouseInputOfTheVulkanWindowOnly)
{
    QSignalSpy mice(&watcher, &ovi::WindowDestructionWatcher::OnMouseEvent);
    QSignalSpy wheels(&watcher, &ovi::WindowDestructionWatcher::OnScroll);
    for (QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease })
        sendMouse(vulkanWindow, type);
    EXPECT_EQ(mice.count(), 3);
    sendMouse(vulkanWindow, QEvent::MouseButtonDblClick);
    EXPECT_EQ(mice.count(), 3) << "double clicks are not forwarded";

    for (QObject *other : { static_cast<QObject *>(panelButton()), static_cast<QObject *>(window.cameraControl()),
                            static_cast<QObject *>(&window) }) {
        sendMouse(other, QEvent::MouseButtonPress);
        sendWheel(other);
    }
    EXPECT_EQ(mice.count(), 3);
    EXPECT_EQ(wheels.count(), 0);

    sendWheel(vulkanWindow);
    EXPECT_EQ(wheels.count(), 1);
}

TEST_F(WatchedWindow, AltReturnGoesFullScreenAndEscapeComesBack)
{
    // Any focused widget will do.
    sendKey(panelButton(), Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(window.windowState(), Qt::WindowFullScreen);
    sendKey(&window, Qt::Key_Return, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.windowState(), Qt::WindowFullScreen) << "Alt+Return while full screen keeps it";
    sendKey(vulkanWindow, Qt::Key_Escape);
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);

    sendKey(&window, Qt::Key_Return);
    EXPECT_EQ(window.windowState(), Qt::WindowNoState) << "Return alone does nothing";
    window.setWindowState(Qt::WindowMaximized);
    sendKey(&window, Qt::Key_Escape);
    EXPECT_EQ(window.windowState(), Qt::WindowMaximized) << "Escape only leaves full screen";
}

TEST_F(WatchedWindow, AnnouncesTheMainWindowsCloseOnce)
{
    QSignalSpy closes(&watcher, &ovi::WindowDestructionWatcher::OnClose);
    sendClose(window.cameraDock());
    sendClose(window.cameraControl());
    sendClose(vulkanWindow);
    EXPECT_EQ(closes.count(), 0);
    sendClose(&window);
    EXPECT_EQ(closes.count(), 1);
    sendClose(&window);
    EXPECT_EQ(closes.count(), 1);

    // After the close it has left the application: nothing else is forwarded either.
    QSignalSpy mice(&watcher, &ovi::WindowDestructionWatcher::OnMouseEvent);
    sendMouse(vulkanWindow, QEvent::MouseButtonPress);
    EXPECT_EQ(mice.count(), 0);
}

TEST_F(WatchedWindow, NeverConsumesAnEvent)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QKeyEvent altReturn(QEvent::KeyPress, Qt::Key_Return, Qt::AltModifier);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCloseEvent close;
    EXPECT_FALSE(watcher.eventFilter(vulkanWindow, &press));
    EXPECT_FALSE(watcher.eventFilter(vulkanWindow, &wheel));
    EXPECT_FALSE(watcher.eventFilter(&window, &altReturn));
    EXPECT_FALSE(watcher.eventFilter(&window, &escape));
    EXPECT_FALSE(watcher.eventFilter(&window, &close));
}

TEST_F(WatchedWindow, KeyPressStillReachesTheFocusedWidget)
{
    struct KeyCounter : QObject {
        int presses = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            presses += e->type() == QEvent::KeyPress;
            return false;
        }
    } counter;
    // Installed later, so it runs before the watcher; what matters is that the delivery goes on after both.
    QWidget *target = panelButton();
    target->installEventFilter(&counter);
    sendKey(target, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(counter.presses, 1);
    EXPECT_EQ(window.windowState(), Qt::WindowFullScreen);
}

} // namespace
