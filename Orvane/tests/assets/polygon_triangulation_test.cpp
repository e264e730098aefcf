#include "polygon_fixture.h"

#include <Orvane/assets/polygon_triangulation.h>

#include <gtest/gtest.h>

#include <glm/vec3.hpp>

#include <algorithm>
#include <limits>
#include <optional>
#include <ostream>

using namespace Orvane;
using Orvane::Test::insideOutline;
using Orvane::Test::outlineArea;
using Orvane::Test::ringOutline;

namespace {

// Places a flat outline on a tilted plane away from the origin, as a face of a model would lie.
std::vector<glm::vec3> tilted(const std::vector<glm::dvec2> &outline)
{
    const glm::dvec3 origin{ 100.0, -50.0, 20.0 };
    const glm::dvec3 u = glm::dvec3{ 1.0, 2.0, 2.0 } / 3.0;
    const glm::dvec3 v = glm::dvec3{ 2.0, 1.0, -2.0 } / 3.0;
    std::vector<glm::vec3> corners;
    for (const glm::dvec2 &point : outline)
        corners.push_back(glm::vec3(origin + point.x * u + point.y * v));
    return corners;
}

struct PolygonCase {
    const char *name;
    std::vector<glm::dvec2> outline; // counter-clockwise
    // None where corners come to lie on a straight line (at the start, or as ears are cut off): such a
    // corner adds no triangle, so the count depends on the order of the cuts.
    std::optional<std::size_t> triangles;
};

void PrintTo(const PolygonCase &value, std::ostream *out)
{
    *out << value.name;
}

class PolygonTriangulationTest : public ::testing::TestWithParam<PolygonCase>
{ };

// Every triangle is wound like the polygon and lies inside it, and together they cover its area: so none
// covers a hole or the outside, and none is missing.
TEST_P(PolygonTriangulationTest, TrianglesCoverThePolygonExactly)
{
    const PolygonCase &c = GetParam();
    std::vector<uint32_t> triangles;
    triangulatePolygon(tilted(c.outline), triangles);
    ASSERT_EQ(triangles.size() % 3, 0u);
    EXPECT_LE(triangles.size() / 3, c.outline.size() - 2);
    if (c.triangles) {
        EXPECT_EQ(triangles.size() / 3, *c.triangles);
    }

    double area = 0.0;
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
        ASSERT_LT(*std::max_element(triangles.begin() + t, triangles.begin() + t + 3), c.outline.size());
        const glm::dvec2 a = c.outline[triangles[t]];
        const glm::dvec2 b = c.outline[triangles[t + 1]];
        const glm::dvec2 d = c.outline[triangles[t + 2]];
        const double triangleArea = outlineArea({ a, b, d });
        EXPECT_GT(triangleArea, 0.0) << "triangle " << t / 3 << " is wound like the polygon";
        EXPECT_TRUE(insideOutline(c.outline, (a + b + d) / 3.0)) << "triangle " << t / 3 << " lies inside";
        area += triangleArea;
    }
    EXPECT_NEAR(area, outlineArea(c.outline), 1e-4 * outlineArea(c.outline));
}

INSTANTIATE_TEST_SUITE_P(
        Shapes, PolygonTriangulationTest,
        ::testing::Values(
                PolygonCase{ "Triangle", { { 0, 0 }, { 1, 0 }, { 0, 1 } }, 1 },
                PolygonCase{ "Square", { { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 } }, 2 },
                // The diagonal from the reflex corner is the longer one here.
                PolygonCase{ "ConcaveQuad", { { 0, 0 }, { 0.3, 0.1 }, { 1, 0 }, { 0, 10 } }, 2 },
                PolygonCase{ "ConvexPentagon", { { 1, 8 }, { 1, 5 }, { 3, 3 }, { 4, 3 }, { 6, 4 } }, 3 },
                PolygonCase{ "Comb",
                             { { 0, 0 },
                               { 5, 0 },
                               { 5, 3 },
                               { 4, 3 },
                               { 4, 1 },
                               { 3, 1 },
                               { 3, 3 },
                               { 2, 3 },
                               { 2, 1 },
                               { 1, 1 },
                               { 1, 3 },
                               { 0, 3 } },
                             {} },
                PolygonCase{ "RingAroundAHoleThroughABridge", ringOutline(32, 2.0, 1.0), 64 },
                PolygonCase{
                        "CornersOnStraightEdges", { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 2, 1 }, { 1, 1 }, { 0, 1 } }, {} },
                PolygonCase{ "RepeatedCorners", { { 0, 0 }, { 1, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 }, { 0, 1 } }, {} }),
        [](const ::testing::TestParamInfo<PolygonCase> &info) { return std::string(info.param.name); });

struct DegenerateCase {
    const char *name;
    std::vector<glm::vec3> corners;
};

void PrintTo(const DegenerateCase &value, std::ostream *out)
{
    *out << value.name;
}

class DegeneratePolygonTest : public ::testing::TestWithParam<DegenerateCase>
{ };

TEST_P(DegeneratePolygonTest, EndsWithTrianglesOverItsOwnCorners)
{
    const DegenerateCase &c = GetParam();
    std::vector<uint32_t> triangles;
    triangulatePolygon(c.corners, triangles);
    EXPECT_EQ(triangles.size() % 3, 0u);
    EXPECT_LE(triangles.size() / 3, std::max<std::size_t>(c.corners.size(), 2) - 2);
    for (uint32_t index : triangles)
        EXPECT_LT(index, c.corners.size());
}

const float NaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
        Inputs, DegeneratePolygonTest,
        ::testing::Values(
                DegenerateCase{ "NoCorners", {} }, DegenerateCase{ "OneCorner", { { 1, 2, 3 } } },
                DegenerateCase{ "TwoCorners", { { 1, 2, 3 }, { 4, 5, 6 } } },
                DegenerateCase{ "AllOnALine",
                                { { 0, 0, 0 }, { 1, 1, 1 }, { 2, 2, 2 }, { 5, 5, 5 }, { 3, 3, 3 }, { 4, 4, 4 } } },
                DegenerateCase{ "AllAtOnePoint", std::vector<glm::vec3>(7, glm::vec3{ 1, 2, 3 }) },
                DegenerateCase{ "SelfCrossingStar",
                                { { 0, 3, 0 }, { 2, -3, 0 }, { -3, 1, 0 }, { 3, 1, 0 }, { -2, -3, 0 } } },
                DegenerateCase{ "BowTieQuad", { { 0, 0, 0 }, { 1, 1, 0 }, { 1, 0, 0 }, { 0, 1, 0 } } },
                DegenerateCase{ "NotANumber", { { 0, 0, 0 }, { 1, 0, 0 }, { NaN, 1, 0 }, { 1, 2, 0 }, { 0, 1, 0 } } }),
        [](const ::testing::TestParamInfo<DegenerateCase> &info) { return std::string(info.param.name); });

} // namespace
