#include "camera_control.h"
#include "dark_palette.h"
#include "frame_counter.h"
#include "orvane_gui_application.h"
#include "orvane_update_event.h"

#include <Orvane/core/aspect_engine.h>
#include <Orvane/render/stereo_forward_algorithm.h>
#include <TbFoundation/update_event.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <memory>
#include <string>

// Runs on a real X display with the xcb platform: the application makes a Vulkan window.
namespace {

// Each test makes and ends its own application, and with it its X connections. An X server resets when its
// last client leaves and refuses connections meanwhile, so one connection stays open for the whole run.
class KeepXServerUp : public ::testing::Environment
{
public:
    void SetUp() override { connection = xcb_connect(nullptr, nullptr); }
    void TearDown() override { xcb_disconnect(connection); }

private:
    xcb_connection_t *connection = nullptr;
};

[[maybe_unused]] ::testing::Environment *const keepXServerUp = ::testing::AddGlobalTestEnvironment(new KeepXServerUp);

int argc = 1;
char programName[] = "tavisher";
char *argv[] = { programName, nullptr };

// Counts the pump events Qt delivers to the application.
class UpdateCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *e) override
    {
        updates += e->type() == ovi::OrvaneUpdateEvent::registeredType();
        return false;
    }

    int updates = 0;
};

class Application : public ::testing::Test
{
protected:
    // The validation layer (switched on for these tests, synchronization validation included) writes what it
    // finds to the standard streams: any of it, from the set-up to the end of the application, fails the test.
    Application()
    {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        app = std::make_unique<ovi::OrvaneGuiApplication>(argc, argv);
        app->installEventFilter(&updates);
    }

    void TearDown() override
    {
        // The test plays the part of exec(): drop what is still queued before the application goes.
        QCoreApplication::removePostedEvents(nullptr);
        app.reset();
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(out.find("Validation"), std::string::npos) << out;
        EXPECT_EQ(err.find("Validation"), std::string::npos) << err;
    }

    QWindow &vulkanWindow() { return *app->mainWindow().vulkanWindow(); }
    ovi::CameraControl &panel() { return *app->mainWindow().cameraControl(); }
    ovi::OrbitalStereoCamera &camera() { return app->stereoCamera(); }

    // One pass over the pump events queued now.
    void pump() { QCoreApplication::sendPostedEvents(app.get(), ovi::OrvaneUpdateEvent::registeredType()); }

    void sendMouse(QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(position), QPointF(position), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&vulkanWindow(), &event);
    }

    UpdateCounter updates;
    std::unique_ptr<ovi::OrvaneGuiApplication> app;
};

TEST_F(Application, HasItsIdentityLookAndWindow)
{
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Tavisher Demo"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("0.1.0"));
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
    for (QPalette::ColorRole role : { QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Highlight })
        EXPECT_EQ(QApplication::palette().color(role), ovi::darkPalette().color(role)) << "role " << int(role);

    EXPECT_TRUE(app->hasEngine());
    EXPECT_TRUE(app->mainWindow().isVisible());
    EXPECT_EQ(app->mainWindow().size(), QSize(1920, 1080));
    EXPECT_EQ(vulkanWindow().surfaceType(), QSurface::VulkanSurface);
    ASSERT_NE(vulkanWindow().vulkanInstance(), nullptr);
    EXPECT_TRUE(vulkanWindow().vulkanInstance()->isValid());
    EXPECT_EQ(TbFoundation::CoreApplication::instance(), &app->foundation());
}

TEST_F(Application, KeepsOnePumpEventQueuedAndDrainsTheFoundationOncePerDelivery)
{
    // The engine started at the end of the set-up and asked for its next frame; the counter stands beside it.
    Orvane::AspectEngine &engine = app->engineBundle()->engine;
    ASSERT_TRUE(engine.running.get());
    const uint64_t startFrames = engine.frameNumber();
    FrameCounter counter;
    TbFoundation::CoreApplication::postEvent(&counter, std::make_unique<TbFoundation::UpdateEvent>());
    for (int round = 1; round <= 5; ++round) {
        pump();
        EXPECT_EQ(updates.updates, round);
        EXPECT_EQ(counter.frames, round);
        EXPECT_EQ(engine.frameNumber(), startFrames + uint64_t(round));
        EXPECT_EQ(app->foundation().postedEventCount(), 2u) << "one request each from the engine and the counter";
    }
    // Another custom event type goes straight on without draining.
    QEvent other(static_cast<QEvent::Type>(QEvent::registerEventType()));
    QCoreApplication::sendEvent(app.get(), &other);
    EXPECT_EQ(counter.frames, 5);
    EXPECT_EQ(engine.frameNumber(), startFrames + 5);
}

TEST_F(Application, PanelValuesReachTheCamera)
{
    QSignalSpy views(&camera(), &ovi::StereoCamera::OnViewChanged);
    Q_EMIT panel().OnEyeDisparityChanged(0.2f);
    EXPECT_FLOAT_EQ(camera().eyeDisparity, 0.2f);
    EXPECT_EQ(views.count(), 1);
    Q_EMIT panel().OnFocusPlaneChanged(14.95f);
    EXPECT_FLOAT_EQ(camera().focusPlane, 14.95f);
    EXPECT_EQ(views.count(), 2);
    EXPECT_NEAR(camera().leftView[2][0] - camera().centerView[2][0], 0.1f / 14.95f * camera().centerView[2][2], 1e-4f);
}

TEST_F(Application, MouseAndWheelOnTheVulkanWindowMoveTheCamera)
{
    sendMouse(QEvent::MouseButtonPress, { 100, 100 }, Qt::LeftButton, Qt::LeftButton);
    sendMouse(QEvent::MouseMove, { 100, 100 }, Qt::NoButton, Qt::LeftButton);
    sendMouse(QEvent::MouseMove, { 120, 100 }, Qt::NoButton, Qt::LeftButton);
    sendMouse(QEvent::MouseButtonRelease, { 120, 100 }, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(camera().phi, 0.2f, 1e-6f);
    sendMouse(QEvent::MouseMove, { 300, 100 }, Qt::NoButton, Qt::NoButton);
    EXPECT_NEAR(camera().phi, 0.2f, 1e-6f);

    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&vulkanWindow(), &wheel);
    EXPECT_NEAR(camera().radius, 18.8f, 1e-5f);

    // Over the panel, nothing moves.
    QWheelEvent panelWheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                           Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&panel(), &panelWheel);
    EXPECT_NEAR(camera().radius, 18.8f, 1e-5f);
}

TEST_F(Application, TheCameraFollowsTheVulkanWindowsShape)
{
    const auto windowAspect = [this] { return float(vulkanWindow().width()) / float(vulkanWindow().height()); };
    // Shown at 1920 x 1080, minus the dock.
    QTRY_VERIFY_WITH_TIMEOUT(vulkanWindow().width() > 1000 && camera().aspectRatio == windowAspect(), 10000);
    const int shownWidth = vulkanWindow().width();

    app->mainWindow().resize(1200, 1080);
    // The window reports its new size at once; the change signals follow when the X server confirms it.
    QTRY_VERIFY_WITH_TIMEOUT(vulkanWindow().width() < shownWidth && camera().aspectRatio == windowAspect(), 10000);
    EXPECT_NEAR(camera().projection[0][0], 2.4142137f / windowAspect(), 1e-4f);
}

TEST_F(Application, ThePanelsCloseButtonEndsTheEngineOnce)
{
    auto *closeButton = panel().findChild<QPushButton *>(QStringLiteral("closeButton"));
    ASSERT_NE(closeButton, nullptr);
    closeButton->click();
    EXPECT_TRUE(app->hasEngine()) << "the close is posted, not sent";
    QCoreApplication::sendPostedEvents(&app->mainWindow(), QEvent::Close);
    EXPECT_FALSE(app->hasEngine());
    EXPECT_EQ(app->mainWindow().vulkanWindow(), nullptr) << "the Vulkan window went with the engine bundle";

    // A second close (from the title bar) finds the engine gone and changes nothing.
    QCloseEvent again;
    QCoreApplication::sendEvent(&app->mainWindow(), &again);
    EXPECT_FALSE(app->hasEngine());
    // The pump keeps draining after the engine has gone.
    pump();
    EXPECT_EQ(updates.updates, 1);
}

TEST_F(Application, CanBeDestroyedWithoutTheWindowEverClosing)
{
    EXPECT_TRUE(app->hasEngine());
    app.reset();
    SUCCEED();
}

} // namespace

TEST_F(Application, StereoOutputKeysSwitchModesWithoutRebuildingTheScene)
{
    using Mode = Orvane::StereoForwardAlgorithm::StereoMode;
    QTRY_VERIFY_WITH_TIMEOUT(vulkanWindow().width() > 1000, 10000);
    Orvane::StereoForwardAlgorithm *algorithm = app->engineBundle()->renderAlgorithm();
    ASSERT_NE(algorithm, nullptr);
    ASSERT_FALSE(app->engineBundle()->presentsLayers()); // an X11 window takes one layer
    EXPECT_EQ(algorithm->stereoMode.get(), Mode::Anaglyph);
    const std::size_t entries = algorithm->meshRendererEntries().size();
    ulong timestamp = 1;
    auto press = [&](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        event.setTimestamp(++timestamp);
        QCoreApplication::sendEvent(&app->mainWindow(), &event);
        pump();
    };
    const float viewAspect = float(vulkanWindow().width()) / float(vulkanWindow().height());

    press(Qt::Key_5);
    EXPECT_EQ(algorithm->stereoMode.get(), Mode::TopBottom);
    press(Qt::Key_S);
    EXPECT_TRUE(algorithm->swapEyes.get());
    // Side by side at full proportions: each eye is drawn for half the view's width.
    press(Qt::Key_3);
    EXPECT_EQ(algorithm->stereoMode.get(), Mode::SideBySide);
    EXPECT_NEAR(camera().aspectRatio, viewAspect / 2, 0.01f);
    press(Qt::Key_4);
    EXPECT_EQ(algorithm->stereoMode.get(), Mode::SideBySide);
    EXPECT_NEAR(camera().aspectRatio, viewAspect, 0.01f);
    // The layered image needs a window that takes two layers: nothing changes.
    press(Qt::Key_8);
    EXPECT_EQ(app->stereoOutput(), ovi::StereoOutputMode::HalfSideBySide);
    press(Qt::Key_S);
    EXPECT_FALSE(algorithm->swapEyes.get());

    // Every mode three times, a frame each: the scene stays as it is, and no validation message appears (checked
    // at tear-down). The render tests switch modes through a hundred frames and count GPU allocations.
    for (int i = 0; i < 21; ++i)
        press(Qt::Key_1 + i % 7);
    EXPECT_EQ(algorithm->meshRendererEntries().size(), entries);
    EXPECT_EQ(app->engineBundle()->renderAlgorithm(), algorithm);
}
