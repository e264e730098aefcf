#include "orbit_input.h"

#include "orbital_stereo_camera.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace ovi {

void orbitWithMouse(OrbitalStereoCamera &camera, OrbitDragState &state, const QMouseEvent &event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        if (event.buttons() & Qt::LeftButton) {
            state.dragging = true;
            state.firstMove = true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (event.button() == Qt::LeftButton)
            state.dragging = false;
        break;
    case QEvent::MouseMove: {
        if (!state.dragging)
            break;
        const QPoint position = event.position().toPoint();
        if (state.firstMove) {
            state.firstMove = false;
            state.lastMousePosition = position;
            break;
        }
        const int dx = position.x() - state.lastMousePosition.x();
        const int dy = position.y() - state.lastMousePosition.y();
        camera.phi += static_cast<float>(dx) * orbitRadiansPerPixel;
        camera.UpdatePosition();
        camera.theta = std::clamp(camera.theta - static_cast<float>(dy) * orbitRadiansPerPixel,
                                  OrbitalStereoCamera::minimumTheta, OrbitalStereoCamera::maximumTheta);
        camera.UpdatePosition();
        state.lastMousePosition = position;
        break;
    }
    default:
        break;
    }
}

void zoomWithWheel(OrbitalStereoCamera &camera, const QWheelEvent &event)
{
    camera.radius -= static_cast<float>(event.angleDelta().y()) * zoomUnitsPerWheelDelta;
    camera.UpdatePosition();
}

} // namespace ovi
