#include "orvane_gui_application.h"

#include "app_resources.h"
#include "camera_control.h"
#include "dark_palette.h"
#include "orvane_update_event.h"

#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyleFactory>
#include <QWindow>

namespace ovi {

namespace {

// Queues the first pump event before anything else exists; it is delivered once exec() runs. Returns the tag
// that engages the engine bundle right after.
std::in_place_t postFirstUpdate(QObject &application)
{
    postOrvaneUpdate(application);
    return std::in_place;
}

} // namespace

OrvaneGuiApplication::OrvaneGuiApplication(int &argc, char **argv)
    : QApplication(argc, argv)
    , guiApplication()
    , impl(postFirstUpdate(*this))
    , window(&impl->vulkanWindow)
    , destructionWatcher(&window)
    , camera()
{
    QCoreApplication::instance()->installEventFilter(&destructionWatcher);

    registerAppResources();
    QCoreApplication::setApplicationName(QString::fromLatin1(applicationName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(applicationVersion));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QGuiApplication::setWindowIcon(QIcon(applicationIconResource()));
    QApplication::setPalette(darkPalette());

    CameraControl *panel = window.cameraControl();
    QWindow *vulkanWindow = &impl->vulkanWindow;
    connect(&destructionWatcher, &WindowDestructionWatcher::OnClose, this, [this] { shutDown(); });
    connect(&destructionWatcher, &WindowDestructionWatcher::OnScroll, this,
            [this](QWheelEvent *e) { zoomWithWheel(camera, *e); });
    connect(panel, &CameraControl::OnClose, this,
            [this] { QCoreApplication::postEvent(&window, new QCloseEvent, Qt::NormalEventPriority); });
    connect(&destructionWatcher, &WindowDestructionWatcher::OnMouseEvent, this,
            [this](QMouseEvent *e) { orbitWithMouse(camera, orbitDrag, *e); });
    connect(vulkanWindow, &QWindow::widthChanged, this, [this] { followViewSize(); });
    connect(vulkanWindow, &QWindow::heightChanged, this, [this] { followViewSize(); });
    connect(&destructionWatcher, &WindowDestructionWatcher::OnKeyPress, this, [this](QKeyEvent *e) { handleKey(*e); });
    connect(panel, &CameraControl::OnFocusPlaneChanged, this, [this](float value) {
        camera.focusPlane = value;
        camera.UpdateViewMatrices();
    });
    connect(panel, &CameraControl::OnEyeDisparityChanged, this, [this](float value) {
        camera.eyeDisparity = value;
        camera.UpdateViewMatrices();
    });

    try {
        impl->Initialize(panel, camera);
    } catch (...) {
        // Members are destroyed without the destructor's body: release the bundle before the window's
        // container can delete the Vulkan window it embeds.
        impl.reset();
        throw;
    }
    outputMode = impl->presentsLayers() ? StereoOutputMode::Layered : StereoOutputMode::Anaglyph;
    window.show();
}

OrvaneGuiApplication::~OrvaneGuiApplication()
{
    // The window's container owns the Vulkan window it embeds and would delete it, a member of the engine
    // bundle, a second time; the bundle therefore goes first when the window never closed (as on close).
    impl.reset();
}

bool OrvaneGuiApplication::event(QEvent *e)
{
    pumpOrvaneUpdate(*this, *e, [this] {
        guiApplication.processEvents(0);
        reportFrameProgress();
    });
    return QApplication::event(e);
}

void OrvaneGuiApplication::reportFrameProgress()
{
    if (!impl || impl->engine.frameNumber() < nextFrameReport)
        return;
    guiApplication.logger()->info("{} frames, {:.1f} frames per second", impl->engine.frameNumber(),
                                  impl->engine.fps.get());
    nextFrameReport = impl->engine.frameNumber() + framesPerReport;
}

void OrvaneGuiApplication::shutDown()
{
    if (impl)
        impl.reset();
    QCoreApplication::quit();
}

void OrvaneGuiApplication::followViewSize()
{
    const QWindow *view = window.vulkanWindow();
    const float share = eyeWidthShare(outputMode);
    camera.SetViewportSize(int(float(view->width()) * share + 0.5f), view->height());
}

bool OrvaneGuiApplication::setStereoOutput(StereoOutputMode mode, bool swapEyes)
{
    if (!impl || !impl->setStereoOutput(mode, swapEyes))
        return false;
    const bool proportionsChange = eyeWidthShare(mode) != eyeWidthShare(outputMode);
    outputMode = mode;
    swappedEyes = swapEyes;
    if (proportionsChange)
        followViewSize();
    return true;
}

void OrvaneGuiApplication::handleKey(const QKeyEvent &event)
{
    if (event.isAutoRepeat() || (event.timestamp() == lastKeyTimestamp && event.key() == lastKey))
        return;
    lastKeyTimestamp = event.timestamp();
    lastKey = event.key();
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return;
    if (const StereoOutputModeInfo *choice = stereoOutputModeForKey(event.key())) {
        if (!setStereoOutput(choice->mode, swappedEyes))
            guiApplication.logger()->info("This window cannot show \"{}\"", choice->name);
    } else if (event.key() == Qt::Key_S) {
        setStereoOutput(outputMode, !swappedEyes);
    } else if (event.key() == Qt::Key_F1) {
        auto *help = new QMessageBox(QMessageBox::Information, QStringLiteral("Tavisher keys"), stereoOutputHelp(),
                                     QMessageBox::Close, &window);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->open();
    }
}

} // namespace ovi
