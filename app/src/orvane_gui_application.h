#pragma once

#include "orbit_input.h"
#include "orbital_stereo_camera.h"
#include "orvane_impl.h"
#include "window.h"
#include "window_destruction_watcher.h"

#include <TbGui/gui_application.h>

#include <QApplication>

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

private:
    // Destroys the engine bundle (once) and asks Qt to quit.
    void shutDown();
    // Every framesPerReport engine frames, one line on the "application" log with the frame count and rate.
    void reportFrameProgress();

    static constexpr uint64_t framesPerReport = 300;

    TbGui::GuiApplication guiApplication;
    std::optional<OrvaneImpl> impl;
    Window window;
    WindowDestructionWatcher destructionWatcher;
    OrbitalStereoCamera camera;
    // lastMousePosition, dragging and firstMove of the orbit drag.
    OrbitDragState orbitDrag;
    uint64_t nextFrameReport = framesPerReport;
};

} // namespace ovi
