#pragma once

#include "orbit_input.h"
#include "orbital_stereo_camera.h"
#include "orvane_impl.h"
#include "window.h"
#include "window_destruction_watcher.h"

#include <TbGui/gui_application.h>

#include <QApplication>

class QKeyEvent;

#include <optional>

namespace ovi {

// The viewer's application object: it owns every top-level object of the program, gives the process its
// identity and look, wires input to the camera and keeps the engine running by pumping the foundation's
// event queue from inside Qt's loop (one OrvaneUpdateEvent queued at any time, one drain per delivery).
// Members are destroyed in reverse declaration order.
class OrvaneGuiApplication : public QApplication
{
public:
    static constexpr const char *applicationName = "Tavisher Demo";
    static constexpr const char *applicationVersion = "0.1.0";

    // Throws std::runtime_error when the Vulkan instance cannot be created.
    OrvaneGuiApplication(int &argc, char **argv);
    ~OrvaneGuiApplication() override;

    // The frame pump; every event then goes on to QApplication::event.
    bool event(QEvent *e) override;

    Window &mainWindow() { return window; }
    OrbitalStereoCamera &stereoCamera() { return camera; }
    TbGui::GuiApplication &foundation() { return guiApplication; }
    // False once the main window has closed and the engine bundle is gone.
    bool hasEngine() const { return impl.has_value(); }
    // The engine bundle; null once it is gone.
    OrvaneImpl *engineBundle() { return impl ? &*impl : nullptr; }

    StereoOutputMode stereoOutput() const { return outputMode; }
    bool eyesSwapped() const { return swappedEyes; }
    // Chooses how the eyes reach the window (see OrvaneImpl::setStereoOutput) and gives each eye's projection the
    // proportions the mode shows it in; false, and nothing changes, when the window cannot show the mode.
    bool setStereoOutput(StereoOutputMode mode, bool swapEyes);

private:
    // Destroys the engine bundle (once) and asks Qt to quit.
    void shutDown();
    // Every framesPerReport engine frames, one line on the "application" log with the frame count and rate.
    void reportFrameProgress();
    // The stereo output keys: 1 to 8 choose the mode, S swaps the eyes, F1 shows the keys.
    void handleKey(const QKeyEvent &event);
    // The camera's aspect ratio for the view's size and the output mode.
    void followViewSize();

    static constexpr uint64_t framesPerReport = 300;

    TbGui::GuiApplication guiApplication;
    std::optional<OrvaneImpl> impl;
    Window window;
    WindowDestructionWatcher destructionWatcher;
    OrbitalStereoCamera camera;
    // lastMousePosition, dragging and firstMove of the orbit drag.
    OrbitDragState orbitDrag;
    uint64_t nextFrameReport = framesPerReport;
    StereoOutputMode outputMode = StereoOutputMode::Anaglyph;
    bool swappedEyes = false;
    // One key press reaches the application's filter once per object on its way: it is handled once.
    ulong lastKeyTimestamp = 0;
    int lastKey = 0;
};

} // namespace ovi
