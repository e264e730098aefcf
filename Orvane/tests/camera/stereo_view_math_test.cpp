#include <Orvane/camera/stereo_view_math.h>

#include <gtest/gtest.h>

#include <glm/geometric.hpp>
#include <glm/matrix.hpp>
#include <glm/vec4.hpp>

using namespace Orvane;

namespace {

void expectMatrixNear(const glm::mat4 &actual, const glm::mat4 &expected, float within = 1e-5f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], within) << "m[" << c << "][" << r << "]";
}

glm::vec3 inView(const glm::mat4 &view, const glm::vec3 &point)
{
    return glm::vec3(view * glm::vec4(point, 1.0f));
}

// The world position of the eye with this view: the point the view takes to the origin.
glm::vec3 eyeOf(const glm::mat4 &view)
{
    return glm::vec3(glm::inverse(view) * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
}

// A right-handed view: the eye at the origin, the target straight ahead down -z, up above the axis and the side
// to the right of the view direction at +x, every distance kept.
TEST(LookAtView, PutsTheEyeAtTheOriginLookingAtTheTargetWithUpAbove)
{
    const struct {
        glm::vec3 eye, target, up;
    } cases[] = {
        { { 0, 0, 0 }, { 0, 0, -1 }, { 0, 1, 0 } },
        { { 1, 2, 3 }, { -4, 0.5f, 2 }, { 0, 1, 0 } },
        { { 0.02f, 20, 0 }, { 0, 0, 0 }, { 0, 1, 0 } },
        { { -3, 1, 7 }, { 2, 2, -1 }, { 0.3f, 1, 0.1f } },
    };
    for (const auto &c : cases) {
        const glm::mat4 m = lookAtView(c.eye, c.target, c.up);
        const glm::vec3 forward = glm::normalize(c.target - c.eye);
        const glm::vec3 upright = glm::normalize(c.up - glm::dot(c.up, forward) * forward);
        const glm::vec3 side = glm::cross(forward, upright);
        const struct {
            glm::vec3 world, expected;
        } points[] = {
            { c.eye, { 0, 0, 0 } },
            { c.target, { 0, 0, -glm::length(c.target - c.eye) } },
            { c.eye + 2.0f * upright, { 0, 2, 0 } },
            { c.eye + 3.0f * side, { 3, 0, 0 } },
        };
        for (const auto &p : points) {
            const glm::vec4 v = m * glm::vec4(p.world, 1.0f);
            EXPECT_NEAR(glm::length(glm::vec3(v) - p.expected), 0.0f, 1e-4f)
                    << "eye " << c.eye.x << "," << c.eye.y << "," << c.eye.z << " expected " << p.expected.x << ","
                    << p.expected.y << "," << p.expected.z;
            EXPECT_FLOAT_EQ(v.w, 1.0f);
        }
    }
}

TEST(ConvergenceShear, AddsKTimesZToX)
{
    const glm::vec4 p = convergenceShear(0.25f) * glm::vec4(1.0f, 2.0f, -8.0f, 1.0f);
    EXPECT_EQ(p, glm::vec4(1.0f - 2.0f, 2.0f, -8.0f, 1.0f));
    EXPECT_EQ(convergenceShear(0.0f), glm::mat4(1.0f));
}

// Eyes 0.06 apart converging at 10: the viewer's defaults.
TEST(StereoViews, EyesSitLeftAndRightAndConvergeByShearOnTheFocusDistance)
{
    const glm::vec3 position(0.0f), forward(0, 0, -1), up(0, 1, 0);
    const StereoViews views = stereoViews(position, forward, up, 0.06f, 10.0f, true);
    EXPECT_FLOAT_EQ(views.left[2][0], 0.003f);
    EXPECT_FLOAT_EQ(views.right[2][0], -0.003f);
    // The left eye at x = -0.03, the right one at +0.03.
    expectMatrixNear(views.left, convergenceShear(0.003f) * lookAtView({ -0.03f, 0, 0 }, { -0.03f, 0, -1 }, up));
    expectMatrixNear(views.right, convergenceShear(-0.003f) * lookAtView({ 0.03f, 0, 0 }, { 0.03f, 0, -1 }, up));
    EXPECT_NEAR(eyeOf(views.left).x, -0.03f, 1e-6f);
    EXPECT_NEAR(eyeOf(views.right).x, 0.03f, 1e-6f);
    expectMatrixNear(views.center, glm::mat4(1.0f), 0.0f);

    EXPECT_NEAR(inView(views.left, { 0, 0, -10 }).x, 0.0f, 1e-6f);
    EXPECT_NEAR(inView(views.right, { 0, 0, -10 }).x, 0.0f, 1e-6f);
    // Nearer than the focus distance: crossed (+x in the left eye, -x in the right); farther: uncrossed.
    EXPECT_NEAR(inView(views.left, { 0, 0, -2 }).x, 0.024f, 1e-6f);
    EXPECT_NEAR(inView(views.right, { 0, 0, -2 }).x, -0.024f, 1e-6f);
    EXPECT_NEAR(inView(views.left, { 0, 0, -100 }).x, -0.27f, 1e-5f);
    EXPECT_NEAR(inView(views.right, { 0, 0, -100 }).x, 0.27f, 1e-5f);
}

TEST(StereoViews, HoldAnywhereTheCameraLooks)
{
    const glm::vec3 position(3, -1, 2), forward = glm::normalize(glm::vec3(-0.4f, 0.3f, -1.0f)), up(0, 1, 0);
    const StereoViews views = stereoViews(position, forward, up, 0.2f, 7.0f, true);
    const glm::vec3 right = glm::normalize(glm::cross(forward, up));
    EXPECT_NEAR(glm::length(eyeOf(views.left) - (position - 0.1f * right)), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(eyeOf(views.right) - (position + 0.1f * right)), 0.0f, 1e-5f);
    expectMatrixNear(views.center, lookAtView(position, position + forward, up));
    const glm::vec3 focus = position + 7.0f * forward;
    EXPECT_NEAR(inView(views.left, focus).x, 0.0f, 1e-5f);
    EXPECT_NEAR(inView(views.right, focus).x, 0.0f, 1e-5f);
    EXPECT_GT(inView(views.left, position + 2.0f * forward).x, 0.0f);
    EXPECT_LT(inView(views.right, position + 2.0f * forward).x, 0.0f);
}

TEST(StereoViews, WithoutShearTheEyesArePlainLookAtViewsAtAnyConvergenceDistance)
{
    const glm::vec3 up(0, 1, 0);
    for (const float convergence : { 10.0f, 0.0f }) {
        const StereoViews views = stereoViews(glm::vec3(0.0f), { 0, 0, -1 }, up, 0.06f, convergence, false);
        expectMatrixNear(views.left, lookAtView({ -0.03f, 0, 0 }, { -0.03f, 0, -1 }, up), 0.0f);
        expectMatrixNear(views.right, lookAtView({ 0.03f, 0, 0 }, { 0.03f, 0, -1 }, up), 0.0f);
    }
}

TEST(StereoViews, WithoutSeparationAllThreeViewsAreEqual)
{
    const StereoViews views = stereoViews({ 1, 2, 3 }, { 0.3f, -0.2f, -1.0f }, { 0, 1, 0 }, 0.0f, 10.0f, true);
    EXPECT_EQ(views.left, views.center);
    EXPECT_EQ(views.right, views.center);
}

} // namespace
