#include "camera_matrices.h"

#include <glm/ext/matrix_transform.hpp>
#include <glm/vec4.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr float tolerance = 1e-5f;

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "m[" << c << "][" << r << "]";
}

TEST(PerspectiveProjection, HasTheFixedEntriesAndZerosElsewhere)
{
    const glm::mat4 m = ovi::perspectiveProjection(1.0f, 0.1f, 1000.0f);
    EXPECT_NEAR(m[0][0], 2.4142137f, tolerance);
    EXPECT_NEAR(m[1][1], 2.4142137f, tolerance);
    EXPECT_NEAR(m[2][2], 1000.0f / (0.1f - 1000.0f), tolerance);
    EXPECT_EQ(m[2][3], -1.0f);
    EXPECT_NEAR(m[3][2], -(1000.0f * 0.1f) / (1000.0f - 0.1f), tolerance);
    const std::pair<int, int> nonZero[] = {{0, 0}, {1, 1}, {2, 2}, {2, 3}, {3, 2}};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (std::find(std::begin(nonZero), std::end(nonZero), std::pair{c, r}) == std::end(nonZero)) {
                EXPECT_EQ(m[c][r], 0.0f) << "m[" << c << "][" << r << "]";
            }
        }
    }
}

TEST(PerspectiveProjection, MapsNearPlaneToDepthZeroAndFarPlaneToOne)
{
    const glm::mat4 m = ovi::perspectiveProjection(1.5f, 0.1f, 1000.0f);
    const glm::vec4 nearPoint = m * glm::vec4(0.0f, 0.0f, -0.1f, 1.0f);
    const glm::vec4 farPoint = m * glm::vec4(0.0f, 0.0f, -1000.0f, 1.0f);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-4f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-4f);
}

TEST(PerspectiveProjection, FullHdAspectGivesTheWidthScale)
{
    const glm::mat4 m = ovi::perspectiveProjection(1920.0f / 1080.0f, 0.1f, 1000.0f);
    EXPECT_NEAR(m[0][0], 1.3579952f, 1e-4f);
    EXPECT_NEAR(m[1][1], 2.4142137f, tolerance);
}

TEST(LookAt, AgreesWithAReferenceRightHandedLookAt)
{
    const struct
    {
        glm::vec3 eye, center, up;
    } cases[] = {
        {{0, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{1, 2, 3}, {-4, 0.5f, 2}, {0, 1, 0}},
        {{0.02f, 20, 0}, {0, 0, 0}, {0, 1, 0}},
        {{-3, 1, 7}, {2, 2, -1}, {0.3f, 1, 0.1f}},
    };
    for (const auto& c : cases)
        expectMatrixNear(ovi::lookAt(c.eye, c.center, c.up), glm::lookAtRH(c.eye, c.center, c.up));
}

TEST(LookAt, PutsTheEyeAtTheOriginAndTheCentreDownNegativeZ)
{
    const glm::vec3 eye(1, 2, 3);
    const glm::vec3 center(1, 2, -2);
    const glm::mat4 m = ovi::lookAt(eye, center, {0, 1, 0});
    const glm::vec4 e = m * glm::vec4(eye, 1.0f);
    const glm::vec4 c = m * glm::vec4(center, 1.0f);
    EXPECT_NEAR(glm::length(glm::vec3(e)), 0.0f, tolerance);
    EXPECT_NEAR(c.x, 0.0f, tolerance);
    EXPECT_NEAR(c.y, 0.0f, tolerance);
    EXPECT_NEAR(c.z, -5.0f, tolerance);
}

TEST(Shear, AddsKTimesZToX)
{
    const glm::mat4 m = ovi::shear(0.25f);
    const glm::vec4 p = m * glm::vec4(1.0f, 2.0f, -8.0f, 1.0f);
    EXPECT_FLOAT_EQ(p.x, 1.0f - 2.0f);
    EXPECT_FLOAT_EQ(p.y, 2.0f);
    EXPECT_FLOAT_EQ(p.z, -8.0f);
    EXPECT_FLOAT_EQ(p.w, 1.0f);
    EXPECT_EQ(m[2][0], 0.25f);
    expectMatrixNear(ovi::shear(0.0f), glm::mat4(1.0f));
}

} // namespace
