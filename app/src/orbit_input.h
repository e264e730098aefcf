#pragma once

#include <QPoint>

class QMouseEvent;
class QWheelEvent;

namespace ovi {

class OrbitalStereoCamera;

// What the application remembers between mouse events to turn a left-button drag into an orbit.
struct OrbitDragState {
    QPoint lastMousePosition{ 0, 0 };
    bool dragging = false;
    // The first move after a press only records the position, so the view never jumps by the distance the
    // pointer travelled while no button was held.
    bool firstMove = false;
};

// Radians of orbit per pixel of drag, in both directions.
inline constexpr float orbitRadiansPerPixel = 0.01f;
// Scene units of zoom per unit of wheel angle delta (a notch of 120 moves 1.2 units).
inline constexpr float zoomUnitsPerWheelDelta = 0.01f;

// Turns the camera with a left-button drag: right increases phi, down decreases theta.
void orbitWithMouse(OrbitalStereoCamera &camera, OrbitDragState &state, const QMouseEvent &event);

// Moves the camera nearer (positive vertical delta) or farther; the radius is not clamped.
void zoomWithWheel(OrbitalStereoCamera &camera, const QWheelEvent &event);

} // namespace ovi
