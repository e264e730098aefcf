#include "orbital_stereo_camera.h"

#include <Orvane/camera/camera_lens.h>

#include <QSignalSpy>

#include <glm/geometric.hpp>
#include <glm/matrix.hpp>
#include <glm/trigonometric.hpp>
#include <glm/vec4.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float tolerance = 1e-5f;

void expectMatrixNear(const glm::mat4 &actual, const glm::mat4 &expected, float within = tolerance)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], within) << "m[" << c << "][" << r << "]";
}

// Where a world point appears on the screen of the eye with this view: normalised device x and y.
glm::vec2 onScreen(const ovi::StereoCamera &camera, const glm::mat4 &view, const glm::vec3 &point)
{
    const glm::vec4 clip = camera.projection * view * glm::vec4(point, 1.0f);
    return glm::vec2(clip) / clip.w;
}

// How far right the left eye sees a point compared with the right eye, on the screen: positive for points
// that seem in front of the screen, negative for those behind it.
float disparity(const ovi::StereoCamera &camera, const glm::vec3 &point)
{
    return onScreen(camera, camera.leftView, point).x - onScreen(camera, camera.rightView, point).x;
}

// The world position of the eye with this view: the point the view takes to the origin.
glm::vec3 eyePosition(const glm::mat4 &view)
{
    return glm::vec3(glm::inverse(view) * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
}

// The projection the engine camera's lens computes for the Qt camera's values.
glm::mat4 lensProjection(float aspectRatio)
{
    return Orvane::lensProjection(45.0f, aspectRatio, -0.5f, 0.5f, -0.5f, 0.5f, 0.1f, 1000.0f,
                                  Orvane::AbstractLens::ProjectionType::Perspective);
}

// Where a view-space point lands: x and y in normalised device coordinates, z the depth.
glm::vec3 project(const glm::mat4 &projection, const glm::vec3 &viewPoint)
{
    const glm::vec4 clip = projection * glm::vec4(viewPoint, 1.0f);
    return glm::vec3(clip) / clip.w;
}

// Turns the camera to look somewhere off the axes, so that no coordinate is special.
void lookObliquely(ovi::OrbitalStereoCamera &camera)
{
    camera.phi = 0.7f;
    camera.theta = 1.1f;
    camera.UpdatePosition();
}

TEST(StereoCamera, StartsWithTheDefaults)
{
    ovi::StereoCamera camera;
    EXPECT_FLOAT_EQ(camera.eyeDisparity, 0.06f);
    EXPECT_FLOAT_EQ(camera.focusPlane, 10.0f);
    EXPECT_FLOAT_EQ(camera.nearPlane, 0.1f);
    EXPECT_FLOAT_EQ(camera.farPlane, 1000.0f);
    EXPECT_FLOAT_EQ(camera.aspectRatio, 1.0f);
    EXPECT_TRUE(camera.shearEnabled);
    expectMatrixNear(camera.projection, lensProjection(1.0f), 0.0f);
    expectMatrixNear(camera.centerView, glm::mat4(1.0f));
    EXPECT_STREQ(camera.metaObject()->className(), "ovi::StereoCamera");
}

TEST(StereoCamera, ConvergesOnTheFocusPlane)
{
    ovi::OrbitalStereoCamera camera;
    lookObliquely(camera);
    const glm::vec3 right = glm::normalize(glm::cross(camera.forward, camera.up));
    const glm::vec3 above = glm::cross(right, camera.forward);
    const auto ahead = [&](float distance, float across, float up) {
        return camera.position + distance * camera.forward + across * right + up * above;
    };
    // Anywhere on the focus plane both eyes see a point at the same place.
    for (const glm::vec3 point :
         { ahead(camera.focusPlane, 0, 0), ahead(camera.focusPlane, 2, -1), ahead(camera.focusPlane, -3, 1.5f) }) {
        const glm::vec2 left = onScreen(camera, camera.leftView, point);
        const glm::vec2 rightEye = onScreen(camera, camera.rightView, point);
        EXPECT_NEAR(left.x, rightEye.x, 1e-5f);
        EXPECT_NEAR(left.y, rightEye.y, 1e-5f);
    }
    for (const float across : { 0.0f, 1.0f }) {
        EXPECT_GT(disparity(camera, ahead(2.0f, across, 0)), 0.0f) << "nearer, " << across << " across";
        EXPECT_LT(disparity(camera, ahead(100.0f, across, 0)), 0.0f) << "farther, " << across << " across";
    }
}

TEST(StereoCamera, TheEyesSitTheDisparityApartEitherSideOfTheCentre)
{
    for (const bool shear : { true, false }) {
        ovi::OrbitalStereoCamera camera;
        lookObliquely(camera);
        camera.shearEnabled = shear;
        camera.UpdateViewMatrices();
        const glm::vec3 left = eyePosition(camera.leftView);
        const glm::vec3 right = eyePosition(camera.rightView);
        EXPECT_NEAR(glm::length(eyePosition(camera.centerView) - camera.position), 0.0f, 1e-4f) << shear;
        EXPECT_NEAR(glm::length((left + right) / 2.0f - camera.position), 0.0f, 1e-4f) << shear;
        EXPECT_NEAR(glm::distance(left, right), camera.eyeDisparity, 1e-4f) << shear;
        // Side by side across the view, the right eye on the right.
        EXPECT_NEAR(glm::dot(right - left, camera.forward), 0.0f, 1e-4f) << shear;
        EXPECT_GT((camera.centerView * glm::vec4(right, 1.0f)).x, 0.0f) << shear;
    }
}

TEST(StereoCamera, WithoutShearTheEyesLookParallel)
{
    ovi::OrbitalStereoCamera camera;
    lookObliquely(camera);
    camera.shearEnabled = false;
    camera.UpdateViewMatrices();
    // Every point, near or far, is seen the same distance apart by the two eyes: they converge nowhere, and
    // everything seems in front of the screen.
    for (const float distance : { 2.0f, camera.focusPlane, 100.0f }) {
        const glm::vec4 point(camera.position + distance * camera.forward, 1.0f);
        EXPECT_NEAR((camera.leftView * point).x - (camera.rightView * point).x, camera.eyeDisparity, 1e-4f) << distance;
        EXPECT_GT(disparity(camera, glm::vec3(point)), 0.0f) << distance;
    }
}

TEST(StereoCamera, ZeroDisparityGivesThreeEqualViews)
{
    ovi::OrbitalStereoCamera camera;
    camera.eyeDisparity = 0.0f;
    camera.UpdateViewMatrices();
    expectMatrixNear(camera.leftView, camera.centerView, 0.0f);
    expectMatrixNear(camera.rightView, camera.centerView, 0.0f);
}

TEST(StereoCamera, UpdatesAnnounceThemselvesOnce)
{
    ovi::StereoCamera camera;
    QSignalSpy views(&camera, &ovi::StereoCamera::OnViewChanged);
    QSignalSpy projections(&camera, &ovi::StereoCamera::OnProjectionChanged);
    camera.UpdateViewMatrices();
    EXPECT_EQ(views.count(), 1);
    EXPECT_EQ(projections.count(), 0);
    camera.UpdateProjectionMatrix();
    EXPECT_EQ(views.count(), 1);
    EXPECT_EQ(projections.count(), 1);
}

TEST(StereoCamera, ViewportSizeSetsTheAspectRatio)
{
    ovi::StereoCamera camera;
    QSignalSpy projections(&camera, &ovi::StereoCamera::OnProjectionChanged);
    camera.SetViewportSize(1920, 1080);
    EXPECT_FLOAT_EQ(camera.aspectRatio, 1.7777778f);
    expectMatrixNear(camera.projection, lensProjection(camera.aspectRatio), 0.0f);
    EXPECT_NEAR(camera.projection[0][0], 1.3579f, 1e-4f);
    EXPECT_EQ(projections.count(), 1);
}

TEST(StereoCamera, EmptyViewportKeepsTheLastAspectRatio)
{
    ovi::StereoCamera camera;
    camera.SetViewportSize(1920, 1080);
    const glm::mat4 before = camera.projection;
    QSignalSpy projections(&camera, &ovi::StereoCamera::OnProjectionChanged);
    for (const auto &[w, h] : { std::pair{ 1920, 0 }, { 0, 1080 }, { 0, 0 }, { -5, 10 } }) {
        camera.SetViewportSize(w, h);
        EXPECT_FLOAT_EQ(camera.aspectRatio, 1.7777778f) << w << "x" << h;
    }
    expectMatrixNear(camera.projection, before, 0.0f);
    EXPECT_EQ(projections.count(), 0);
}

TEST(StereoCamera, ProjectionFramesTheFieldOfViewAtTheAspectRatio)
{
    // Half the screen's height per unit of distance.
    const float halfHeight = std::tan(glm::radians(ovi::StereoCamera::fieldOfViewDegrees) / 2.0f);
    ovi::StereoCamera camera;
    for (const float aspect : { 1.0f, 1920.0f / 1080.0f, 0.5f }) {
        camera.aspectRatio = aspect;
        camera.UpdateProjectionMatrix();
        const glm::mat4 &m = camera.projection;
        for (const float distance : { 1.0f, 7.5f, 300.0f }) {
            const glm::vec3 centre = project(m, { 0.0f, 0.0f, -distance });
            const glm::vec3 top = project(m, { 0.0f, halfHeight * distance, -distance });
            const glm::vec3 right = project(m, { aspect * halfHeight * distance, 0.0f, -distance });
            EXPECT_NEAR(centre.x, 0.0f, tolerance) << aspect << " at " << distance;
            EXPECT_NEAR(centre.y, 0.0f, tolerance) << aspect << " at " << distance;
            // Up stays up: no flip of the y axis.
            EXPECT_NEAR(top.y, 1.0f, tolerance) << aspect << " at " << distance;
            EXPECT_NEAR(right.x, 1.0f, tolerance) << aspect << " at " << distance;
        }
    }
    // The near plane maps to depth 0 and the far plane to 1.
    EXPECT_NEAR(project(camera.projection, { 0.0f, 0.0f, -0.1f }).z, 0.0f, 1e-4f);
    EXPECT_NEAR(project(camera.projection, { 0.0f, 0.0f, -1000.0f }).z, 1.0f, 1e-4f);
}

TEST(OrbitalStereoCamera, StartsAlmostStraightAboveTheTarget)
{
    ovi::OrbitalStereoCamera camera;
    EXPECT_FLOAT_EQ(camera.radius, 20.0f);
    EXPECT_FLOAT_EQ(camera.phi, 0.0f);
    EXPECT_FLOAT_EQ(camera.theta, 0.001f);
    EXPECT_NEAR(camera.position.x, 0.02f, 1e-5f);
    EXPECT_NEAR(camera.position.y, 20.0f, 1e-4f);
    EXPECT_NEAR(camera.position.z, 0.0f, 1e-6f);
    const glm::vec3 towardsTarget = glm::normalize(camera.target - camera.position);
    EXPECT_NEAR(glm::length(camera.forward - towardsTarget), 0.0f, 1e-6f);
    // The target is straight ahead of the centre view at the orbit's radius.
    const glm::vec4 target = camera.centerView * glm::vec4(camera.target, 1.0f);
    EXPECT_NEAR(target.x, 0.0f, 1e-4f);
    EXPECT_NEAR(target.y, 0.0f, 1e-4f);
    EXPECT_NEAR(target.z, -20.0f, 1e-3f);
    EXPECT_STREQ(camera.metaObject()->className(), "ovi::OrbitalStereoCamera");
}

TEST(OrbitalStereoCamera, PlacesTheCameraOnTheSphere)
{
    ovi::OrbitalStereoCamera camera;
    camera.target = { 1.0f, 2.0f, 3.0f };
    camera.radius = 5.0f;
    camera.phi = 1.5707964f;
    camera.theta = 1.5707964f;
    camera.UpdatePosition();
    // phi = theta = pi/2: on +Z of the target.
    EXPECT_NEAR(camera.position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(camera.position.y, 2.0f, 1e-5f);
    EXPECT_NEAR(camera.position.z, 8.0f, 1e-5f);
    EXPECT_NEAR(camera.forward.z, -1.0f, 1e-5f);
}

TEST(OrbitalStereoCamera, AnOrbitUpdateAnnouncesTwiceAndTheSecondCarriesTheFinalMatrices)
{
    ovi::OrbitalStereoCamera camera;
    camera.phi = 2.0f;
    camera.theta = 0.5f;
    std::vector<glm::mat4> seen;
    QObject::connect(&camera, &ovi::StereoCamera::OnViewChanged, [&] { seen.push_back(camera.centerView); });
    camera.UpdatePosition();
    ASSERT_EQ(seen.size(), 2u);
    expectMatrixNear(seen[1], camera.centerView, 0.0f);
    // The final view looks at the target.
    const glm::vec4 target = camera.centerView * glm::vec4(camera.target, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(target) - glm::vec3(0.0f, 0.0f, -camera.radius)), 0.0f, 1e-4f);
}

TEST(OrbitalStereoCamera, OnTheTargetKeepsTheOldDirectionAndAnnouncesOnce)
{
    ovi::OrbitalStereoCamera camera;
    const glm::vec3 forward = camera.forward;
    camera.radius = 0.0f;
    QSignalSpy views(&camera, &ovi::StereoCamera::OnViewChanged);
    camera.UpdatePosition();
    EXPECT_EQ(views.count(), 1);
    EXPECT_EQ(camera.position, camera.target);
    EXPECT_EQ(camera.forward, forward);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_TRUE(std::isfinite(camera.centerView[c][r]));
}

} // namespace
