#include "camera_matrices.h"

#include <glm/geometric.hpp>
#include <glm/trigonometric.hpp>
#include <glm/vec4.hpp>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float tolerance = 1e-5f;

void expectMatrixNear(const glm::mat4 &actual, const glm::mat4 &expected)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "m[" << c << "][" << r << "]";
}

// Where a view-space point lands: x and y in normalised device coordinates, z the depth.
glm::vec3 project(const glm::mat4 &projection, const glm::vec3 &viewPoint)
{
    const glm::vec4 clip = projection * glm::vec4(viewPoint, 1.0f);
    return glm::vec3(clip) / clip.w;
}

TEST(PerspectiveProjection, FramesTheFieldOfViewAtTheAspectRatio)
{
    // Half the screen's height per unit of distance.
    const float halfHeight = std::tan(glm::radians(ovi::cameraFieldOfViewDegrees) / 2.0f);
    for (const float aspect : { 1.0f, 1920.0f / 1080.0f, 0.5f }) {
        const glm::mat4 m = ovi::perspectiveProjection(aspect, 0.1f, 1000.0f);
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
}

TEST(PerspectiveProjection, MapsNearPlaneToDepthZeroAndFarPlaneToOne)
{
    const glm::mat4 m = ovi::perspectiveProjection(1.5f, 0.1f, 1000.0f);
    EXPECT_NEAR(project(m, { 0.0f, 0.0f, -0.1f }).z, 0.0f, 1e-4f);
    EXPECT_NEAR(project(m, { 0.0f, 0.0f, -1000.0f }).z, 1.0f, 1e-4f);
}

// A right-handed view: the eye at the origin, the centre straight ahead down -z, up above the axis and the
// side to the right of the view direction at +x, every distance kept.
TEST(LookAt, PutsTheEyeAtTheOriginLookingAtTheCentreWithUpAbove)
{
    const struct {
        glm::vec3 eye, center, up;
    } cases[] = {
        { { 0, 0, 0 }, { 0, 0, -1 }, { 0, 1, 0 } },
        { { 1, 2, 3 }, { -4, 0.5f, 2 }, { 0, 1, 0 } },
        { { 0.02f, 20, 0 }, { 0, 0, 0 }, { 0, 1, 0 } },
        { { -3, 1, 7 }, { 2, 2, -1 }, { 0.3f, 1, 0.1f } },
    };
    for (const auto &c : cases) {
        const glm::mat4 m = ovi::lookAt(c.eye, c.center, c.up);
        const glm::vec3 forward = glm::normalize(c.center - c.eye);
        const glm::vec3 upright = glm::normalize(c.up - glm::dot(c.up, forward) * forward);
        const glm::vec3 side = glm::cross(forward, upright);
        const auto view = [&m](const glm::vec3 &point) { return m * glm::vec4(point, 1.0f); };
        const struct {
            glm::vec3 world, expected;
        } points[] = {
            { c.eye, { 0, 0, 0 } },
            { c.center, { 0, 0, -glm::length(c.center - c.eye) } },
            { c.eye + 2.0f * upright, { 0, 2, 0 } },
            { c.eye + 3.0f * side, { 3, 0, 0 } },
        };
        for (const auto &p : points) {
            const glm::vec4 v = view(p.world);
            EXPECT_NEAR(glm::length(glm::vec3(v) - p.expected), 0.0f, 1e-4f)
                    << "eye " << c.eye.x << "," << c.eye.y << "," << c.eye.z << " expected " << p.expected.x << ","
                    << p.expected.y << "," << p.expected.z;
            EXPECT_FLOAT_EQ(v.w, 1.0f);
        }
    }
}

TEST(Shear, AddsKTimesZToX)
{
    const glm::vec4 p = ovi::shear(0.25f) * glm::vec4(1.0f, 2.0f, -8.0f, 1.0f);
    EXPECT_FLOAT_EQ(p.x, 1.0f - 2.0f);
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_FLOAT_EQ(p.z, -8.0f);
    EXPECT_FLOAT_EQ(p.w, 1.0f);
    expectMatrixNear(ovi::shear(0.0f), glm::mat4(1.0f));
}

} // namespace
