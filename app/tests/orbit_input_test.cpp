#include "orbit_input.h"
#include "orbital_stereo_camera.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

QMouseEvent mouse(QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    return QMouseEvent(type, QPointF(position), QPointF(position), button, buttons, Qt::NoModifier);
}

QMouseEvent press(QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    return mouse(QEvent::MouseButtonPress, p, button, button);
}

QMouseEvent release(QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    return mouse(QEvent::MouseButtonRelease, p, button, Qt::NoButton);
}

QMouseEvent move(QPoint p, Qt::MouseButtons buttons = Qt::LeftButton)
{
    return mouse(QEvent::MouseMove, p, Qt::NoButton, buttons);
}

QWheelEvent wheel(QPoint angleDelta)
{
    return QWheelEvent(QPointF(10, 10), QPointF(10, 10), QPoint(), angleDelta, Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
}

class OrbitInput : public ::testing::Test
{
protected:
    void send(const QMouseEvent &event) { ovi::orbitWithMouse(camera, state, event); }

    ovi::OrbitalStereoCamera camera;
    ovi::OrbitDragState state;
};

TEST_F(OrbitInput, FirstMoveAfterAPressOnlyRecordsThePosition)
{
    send(press({ 100, 100 }));
    EXPECT_TRUE(state.dragging);
    EXPECT_TRUE(state.firstMove);
    const glm::vec3 before = camera.position;
    send(move({ 300, 250 }));
    EXPECT_FALSE(state.firstMove);
    EXPECT_EQ(state.lastMousePosition, QPoint(300, 250));
    EXPECT_EQ(camera.position, before);
    EXPECT_FLOAT_EQ(camera.phi, 0.0f);
}

TEST_F(OrbitInput, DraggingTurnsByOneHundredthRadianPerPixel)
{
    camera.theta = 1.0f;
    camera.UpdatePosition();
    send(press({ 100, 100 }));
    send(move({ 100, 100 }));
    send(move({ 110, 95 }));
    EXPECT_NEAR(camera.phi, 0.1f, 1e-6f);
    // Dragging up (negative dy) increases theta, moving the camera towards the bottom pole.
    EXPECT_NEAR(camera.theta, 1.05f, 1e-6f);
    EXPECT_EQ(state.lastMousePosition, QPoint(110, 95));
    const glm::vec3 expected = camera.radius *
            glm::vec3(std::sin(1.05f) * std::cos(0.1f), std::cos(1.05f), std::sin(1.05f) * std::sin(0.1f));
    EXPECT_NEAR(glm::length(camera.position - expected), 0.0f, 1e-4f);
}

TEST_F(OrbitInput, ThetaStopsAtBothPoles)
{
    send(press({ 0, 0 }));
    send(move({ 0, 0 }));
    send(move({ 0, 5000 })); // far down: theta would go below zero
    EXPECT_FLOAT_EQ(camera.theta, ovi::OrbitalStereoCamera::minimumTheta);
    send(move({ 0, -5000 })); // far up
    EXPECT_FLOAT_EQ(camera.theta, 3.1405928f);
    EXPECT_FLOAT_EQ(camera.theta, ovi::OrbitalStereoCamera::maximumTheta);
}

TEST_F(OrbitInput, OnlyTheLeftButtonDrags)
{
    send(press({ 0, 0 }, Qt::RightButton));
    EXPECT_FALSE(state.dragging);
    send(move({ 0, 0 }, Qt::RightButton));
    send(move({ 50, 50 }, Qt::RightButton));
    EXPECT_FLOAT_EQ(camera.phi, 0.0f);

    send(press({ 0, 0 }));
    send(release({ 0, 0 }, Qt::RightButton));
    EXPECT_TRUE(state.dragging) << "releasing another button keeps the drag";
    send(release({ 0, 0 }));
    EXPECT_FALSE(state.dragging);
    send(move({ 10, 10 }));
    send(move({ 80, 80 }));
    EXPECT_FLOAT_EQ(camera.phi, 0.0f);
}

TEST_F(OrbitInput, WheelZoomsWithoutClamp)
{
    ovi::zoomWithWheel(camera, wheel({ 0, 120 }));
    EXPECT_NEAR(camera.radius, 18.8f, 1e-5f);
    EXPECT_NEAR(glm::length(camera.position - camera.target), 18.8f, 1e-4f);
    ovi::zoomWithWheel(camera, wheel({ 0, -240 }));
    EXPECT_NEAR(camera.radius, 21.2f, 1e-5f);
    for (int i = 0; i < 20; ++i)
        ovi::zoomWithWheel(camera, wheel({ 0, 120 }));
    EXPECT_NEAR(camera.radius, -2.8f, 1e-4f);
}

TEST_F(OrbitInput, HorizontalWheelChangesNothing)
{
    const glm::mat4 before = camera.centerView;
    ovi::zoomWithWheel(camera, wheel({ 120, 0 }));
    EXPECT_FLOAT_EQ(camera.radius, 20.0f);
    EXPECT_EQ(camera.centerView, before);
}

} // namespace
