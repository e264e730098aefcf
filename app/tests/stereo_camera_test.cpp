#include "camera_matrices.h"
#include "orbital_stereo_camera.h"

#include <QSignalSpy>

#include <glm/geometric.hpp>
#include <glm/vec4.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float tolerance = 1e-5f;

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float within = tolerance)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], within) << "m[" << c << "][" << r << "]";
}

// View-space x of a point in both eyes.
std::pair<float, float> eyeX(const ovi::StereoCamera& camera, const glm::vec3& point)
{
    return {(camera.leftView * glm::vec4(point, 1.0f)).x, (camera.rightView * glm::vec4(point, 1.0f)).x};
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
    expectMatrixNear(camera.projection, ovi::perspectiveProjection(1.0f, 0.1f, 1000.0f));
    expectMatrixNear(camera.centerView, glm::mat4(1.0f));
    EXPECT_STREQ(camera.metaObject()->className(), "ovi::StereoCamera");
}

TEST(StereoCamera, ShearsTheEyesByHalfTheDisparityOverTheFocusPlane)
{
    ovi::StereoCamera camera;
    EXPECT_NEAR(camera.leftView[2][0], 0.003f, 1e-7f);
    EXPECT_NEAR(camera.rightView[2][0], -0.003f, 1e-7f);
    // The eyes sit half the disparity to either side of the centre.
    EXPECT_NEAR(camera.leftView[3][0], 0.03f, 1e-7f);
    EXPECT_NEAR(camera.rightView[3][0], -0.03f, 1e-7f);
}

TEST(StereoCamera, PointOnTheAxisAtTheFocusPlaneHasZeroParallax)
{
    ovi::OrbitalStereoCamera camera;
    camera.phi = 0.7f;
    camera.theta = 1.1f;
    camera.UpdatePosition();
    const glm::vec3 onAxis = camera.position + camera.forward * camera.focusPlane;
    const auto [left, right] = eyeX(camera, onAxis);
    EXPECT_NEAR(left, 0.0f, 1e-4f);
    EXPECT_NEAR(right, 0.0f, 1e-4f);
    // Nearer points are crossed: the left eye sees them to the right of the right eye's image.
    const auto [nearLeft, nearRight] = eyeX(camera, camera.position + camera.forward * 2.0f);
    EXPECT_GT(nearLeft, nearRight);
}

TEST(StereoCamera, WithoutShearTheEyesArePlainLookAtsOfTheShiftedEyes)
{
    ovi::StereoCamera camera;
    camera.shearEnabled = false;
    camera.UpdateViewMatrices();
    EXPECT_EQ(camera.leftView[2][0], 0.0f);
    EXPECT_EQ(camera.rightView[2][0], 0.0f);
    const glm::vec3 offset(0.03f, 0.0f, 0.0f);
    expectMatrixNear(camera.leftView, ovi::lookAt(-offset, -offset + camera.forward, camera.up));
    expectMatrixNear(camera.rightView, ovi::lookAt(offset, offset + camera.forward, camera.up));
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
    EXPECT_NEAR(camera.projection[0][0], 1.3579952f, 1e-4f);
    EXPECT_EQ(projections.count(), 1);
}

TEST(StereoCamera, EmptyViewportKeepsTheLastAspectRatio)
{
    ovi::StereoCamera camera;
    camera.SetViewportSize(1920, 1080);
    const glm::mat4 before = camera.projection;
    QSignalSpy projections(&camera, &ovi::StereoCamera::OnProjectionChanged);
    for (const auto& [w, h] : {std::pair{1920, 0}, {0, 1080}, {0, 0}, {-5, 10}}) {
        camera.SetViewportSize(w, h);
        EXPECT_FLOAT_EQ(camera.aspectRatio, 1.7777778f) << w << "x" << h;
    }
    expectMatrixNear(camera.projection, before, 0.0f);
    EXPECT_EQ(projections.count(), 0);
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
    camera.target = {1.0f, 2.0f, 3.0f};
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
    expectMatrixNear(seen[1], ovi::lookAt(camera.position, camera.target, camera.up), 1e-4f);
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
