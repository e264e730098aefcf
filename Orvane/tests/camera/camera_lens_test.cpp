#include <Orvane/camera/camera_lens.h>

#include <TbBindings/errors.h>

#include <gtest/gtest.h>

#include <glm/vec4.hpp>

#include <cmath>
#include <string>
#include <vector>

using namespace Orvane;
using ProjectionType = AbstractLens::ProjectionType;

namespace {

struct Expected {
    int column;
    int row;
    float value;
};

// Every listed entry has its value; every other entry is 0.
void expectEntries(const glm::mat4 &p, const std::vector<Expected> &entries)
{
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float expected = 0.0f;
            for (const Expected &e : entries)
                if (e.column == c && e.row == r)
                    expected = e.value;
            EXPECT_NEAR(p[c][r], expected, 1e-4f) << "P[" << c << "][" << r << "]";
        }
    }
}

} // namespace

TEST(CameraLens, DefaultsGiveTheHandComputedPerspective)
{
    CameraLens lens;
    const float f = 1.0f / std::tan(12.5f * 0.017453292f);
    EXPECT_NEAR(f, 4.5107f, 1e-4f);
    expectEntries(lens.projectionMatrix.get(),
                  {
                          { 0, 0, f },
                          { 1, 1, f },
                          { 2, 2, 1000.0f / (0.1f - 1000.0f) },
                          { 2, 3, -1.0f },
                          { 3, 2, -0.1f * 1000.0f / (1000.0f - 0.1f) },
                  });
    EXPECT_NEAR(lens.projectionMatrix.get()[2][2], -1.0001f, 1e-4f);
    EXPECT_NEAR(lens.projectionMatrix.get()[3][2], -0.1f, 1e-4f);
    EXPECT_FALSE(lens.isStereo());
}

TEST(CameraLens, PerspectiveMapsNearToDepthZeroAndFarToOneWithYUp)
{
    CameraLens lens;
    lens.setPerspectiveProjection(45.0f, 16.0f / 9.0f, 0.5f, 200.0f);
    const glm::mat4 &p = lens.projectionMatrix.get();
    const glm::vec4 nearPoint = p * glm::vec4(0, 0, -0.5f, 1);
    const glm::vec4 farPoint = p * glm::vec4(0, 0, -200.0f, 1);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-5f);
    const glm::vec4 above = p * glm::vec4(0, 1, -10, 1);
    EXPECT_GT(above.y / above.w, 0.0f);
    EXPECT_NEAR(p[0][0] * 16.0f / 9.0f, p[1][1], 1e-5f);
}

TEST(CameraLens, OrthographicFollowsTheBoxAndFlipsY)
{
    CameraLens lens;
    lens.projectionType = ProjectionType::Orthographic;
    expectEntries(lens.projectionMatrix.get(),
                  {
                          { 0, 0, 2.0f },
                          { 1, 1, -2.0f },
                          { 2, 2, -1.0f / 999.9f },
                          { 3, 2, -0.1f / 999.9f },
                          { 3, 3, 1.0f },
                  });

    lens.left = 0.0f;
    lens.right = 4.0f;
    lens.bottom = 1.0f;
    lens.top = 3.0f;
    lens.nearPlane = 1.0f;
    lens.farPlane = 11.0f;
    expectEntries(lens.projectionMatrix.get(),
                  {
                          { 0, 0, 0.5f },
                          { 1, 1, -1.0f },
                          { 2, 2, -0.1f },
                          { 3, 0, -1.0f },
                          { 3, 1, 2.0f },
                          { 3, 2, -0.1f },
                          { 3, 3, 1.0f },
                  });
}

TEST(CameraLens, EveryParameterChangeUpdatesTheMatrixAndAnnouncesIt)
{
    CameraLens lens;
    int changes = 0;
    lens.changed.connect([&](AbstractLens *changed) {
        EXPECT_EQ(changed, &lens);
        ++changes;
    });
    lens.fieldOfView = 60.0f;
    EXPECT_NEAR(lens.projectionMatrix.get()[1][1], 1.0f / std::tan(30.0f * 0.017453292f), 1e-5f);
    lens.aspectRatio = 2.0f;
    lens.nearPlane = 1.0f;
    lens.farPlane = 10.0f;
    EXPECT_EQ(changes, 4);
    // Box parameters do not enter a perspective projection.
    lens.left = -3.0f;
    EXPECT_EQ(changes, 4);

    try {
        lens.projectionMatrix = glm::mat4(1.0f);
        FAIL() << "the projection matrix is always bound";
    } catch (const TbBindings::ReadOnlyProperty &error) {
        EXPECT_STREQ(error.what(),
                     "Cannot set value on a read-only property. This property likely holds the result of "
                     "a binding expression.");
    }
}

TEST(CameraLens, SetPerspectiveProjectionAssignsInOrder)
{
    CameraLens lens;
    lens.projectionType = ProjectionType::Orthographic;
    std::vector<std::string> order;
    lens.projectionType.valueChanged().connect([&](const ProjectionType &) { order.push_back("type"); });
    lens.fieldOfView.valueChanged().connect([&](const float &) { order.push_back("fieldOfView"); });
    lens.aspectRatio.valueChanged().connect([&](const float &) { order.push_back("aspectRatio"); });
    lens.nearPlane.valueChanged().connect([&](const float &) { order.push_back("nearPlane"); });
    lens.farPlane.valueChanged().connect([&](const float &) { order.push_back("farPlane"); });

    lens.setPerspectiveProjection(45.0f, 1.5f, 0.2f, 500.0f);
    EXPECT_EQ(order, (std::vector<std::string>{ "type", "fieldOfView", "aspectRatio", "nearPlane", "farPlane" }));
    EXPECT_EQ(lens.projectionMatrix.get(),
              lensProjection(45.0f, 1.5f, -0.5f, 0.5f, -0.5f, 0.5f, 0.2f, 500.0f, ProjectionType::Perspective));
}
