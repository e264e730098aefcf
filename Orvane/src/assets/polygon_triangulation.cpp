#include <Orvane/assets/polygon_triangulation.h>

#include <glm/geometric.hpp>
#include <glm/vec2.hpp>

#include <algorithm>
#include <cmath>

namespace Orvane {

namespace {

// Twice the signed area of triangle (a, b, c): positive when it turns left (counter-clockwise).
double turn(const glm::dvec2 &a, const glm::dvec2 &b, const glm::dvec2 &c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Relative to the first corner, so that faces far from the origin keep their precision.
glm::dvec3 cornerAt(std::span<const glm::vec3> corners, std::size_t i)
{
    return glm::dvec3(corners[i]) - glm::dvec3(corners[0]);
}

// Twice the area vector of the outline; it points to the side from which the outline runs
// counter-clockwise, and stays meaningful for concave and slightly non-planar outlines.
glm::dvec3 newellNormal(std::span<const glm::vec3> corners)
{
    glm::dvec3 normal{ 0.0 };
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const glm::dvec3 a = cornerAt(corners, i);
        const glm::dvec3 b = cornerAt(corners, (i + 1) % corners.size());
        normal.x += (a.y - b.y) * (a.z + b.z);
        normal.y += (a.z - b.z) * (a.x + b.x);
        normal.z += (a.x - b.x) * (a.y + b.y);
    }
    return normal;
}

double largestExtent(std::span<const glm::vec3> corners)
{
    double extent = 0.0;
    for (std::size_t i = 1; i < corners.size(); ++i) {
        const glm::dvec3 offset = glm::abs(cornerAt(corners, i));
        extent = std::max({ extent, offset.x, offset.y, offset.z });
    }
    return extent;
}

// How far apart two places may be and still count as one: single-precision coordinates carry about seven
// digits, so corners meant to lie on one line or at one point miss by a few units in their last digit.
double positionTolerance(std::span<const glm::vec3> corners)
{
    double magnitude = 0.0;
    for (const glm::vec3 &corner : corners)
        magnitude = std::max(
                { magnitude, std::abs(double(corner.x)), std::abs(double(corner.y)), std::abs(double(corner.z)) });
    return magnitude * 4e-7;
}

// The corners in plane coordinates (u, v) with u x v along `normal`, so the outline runs counter-clockwise.
std::vector<glm::dvec2> flatten(std::span<const glm::vec3> corners, const glm::dvec3 &normal)
{
    const glm::dvec3 w = glm::normalize(normal);
    const glm::dvec3 absW = glm::abs(w);
    const glm::dvec3 helper = absW.x <= absW.y && absW.x <= absW.z ? glm::dvec3(1, 0, 0)
            : absW.y <= absW.z                                     ? glm::dvec3(0, 1, 0)
                                                                   : glm::dvec3(0, 0, 1);
    const glm::dvec3 u = glm::normalize(glm::cross(w, helper));
    const glm::dvec3 v = glm::cross(w, u);
    std::vector<glm::dvec2> points(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const glm::dvec3 p = cornerAt(corners, i);
        points[i] = { glm::dot(p, u), glm::dot(p, v) };
    }
    return points;
}

void appendTriangle(std::vector<uint32_t> &triangles, std::size_t a, std::size_t b, std::size_t c)
{
    triangles.insert(triangles.end(), { uint32_t(a), uint32_t(b), uint32_t(c) });
}

void appendQuad(std::span<const glm::vec3> corners, std::vector<uint32_t> &triangles)
{
    // A diagonal is usable when both triangles it makes keep the quad's winding; a concave quad has one.
    const glm::dvec3 normal = newellNormal(corners);
    const auto windsWithQuad = [&](std::size_t a, std::size_t b, std::size_t c) {
        return glm::dot(glm::cross(cornerAt(corners, b) - cornerAt(corners, a),
                                   cornerAt(corners, c) - cornerAt(corners, a)),
                        normal) > 0.0;
    };
    const bool diagonal02 = windsWithQuad(0, 1, 2) && windsWithQuad(0, 2, 3);
    const bool diagonal13 = windsWithQuad(0, 1, 3) && windsWithQuad(1, 2, 3);
    const double length02 = glm::dot(cornerAt(corners, 2), cornerAt(corners, 2));
    const glm::dvec3 span13 = cornerAt(corners, 3) - cornerAt(corners, 1);
    // Otherwise the shorter diagonal; on a tie the one from corner 1 to corner 3.
    const bool use02 = diagonal02 != diagonal13 ? diagonal02 : length02 < glm::dot(span13, span13);
    if (use02) {
        appendTriangle(triangles, 0, 1, 2);
        appendTriangle(triangles, 0, 2, 3);
    } else {
        appendTriangle(triangles, 0, 1, 3);
        appendTriangle(triangles, 1, 2, 3);
    }
}

void appendFan(std::span<const std::size_t> outline, std::vector<uint32_t> &triangles)
{
    for (std::size_t i = 2; i < outline.size(); ++i)
        appendTriangle(triangles, outline[0], outline[i - 1], outline[i]);
}

// Ear clipping over a ring of the flattened corners.
class EarClipper
{
public:
    // Places within `tolerance` of each other, or of a line, count as lying on it.
    EarClipper(std::vector<glm::dvec2> points, double tolerance)
        : m_points(std::move(points))
        , m_tolerance(tolerance)
        , m_previous(m_points.size())
        , m_next(m_points.size())
        , m_remaining(m_points.size())
    {
        for (std::size_t i = 0; i < m_points.size(); ++i) {
            m_previous[i] = (i + m_points.size() - 1) % m_points.size();
            m_next[i] = (i + 1) % m_points.size();
        }
    }

    void run(std::vector<uint32_t> &triangles)
    {
        std::size_t corner = 0;
        // Every pass either removes a corner or moves on; a whole lap without removal means no ear is left.
        std::size_t stepsWithoutRemoval = 0;
        while (m_remaining > 3) {
            const std::size_t before = m_previous[corner];
            const std::size_t after = m_next[corner];
            if (isFlat(corner)) {
                // Straight on, doubling back or repeated: the corner adds no area.
                remove(corner);
                corner = before;
                stepsWithoutRemoval = 0;
            } else if (isEar(corner)) {
                appendTriangle(triangles, before, corner, after);
                remove(corner);
                corner = after;
                stepsWithoutRemoval = 0;
            } else if (++stepsWithoutRemoval > m_remaining) {
                appendFan(remainingOutline(corner), triangles);
                return;
            } else {
                corner = after;
            }
        }
        if (!isFlat(corner) && turnAt(corner) > 0.0)
            appendTriangle(triangles, m_previous[corner], corner, m_next[corner]);
    }

private:
    double turnAt(std::size_t corner) const
    {
        return turn(m_points[m_previous[corner]], m_points[corner], m_points[m_next[corner]]);
    }

    double distance(std::size_t a, std::size_t b) const { return glm::distance(m_points[a], m_points[b]); }

    // The triangle of the corner and its neighbours is no higher than the tolerance over its longest side.
    bool isFlat(std::size_t corner) const
    {
        const std::size_t a = m_previous[corner];
        const std::size_t c = m_next[corner];
        const double longestSide = std::max({ distance(a, corner), distance(corner, c), distance(c, a) });
        return std::abs(turnAt(corner)) <= m_tolerance * longestSide;
    }

    // Left of the line from `from` to `to`, or within the tolerance of it.
    bool notRightOf(std::size_t p, std::size_t from, std::size_t to) const
    {
        return turn(m_points[from], m_points[to], m_points[p]) >= -m_tolerance * distance(from, to);
    }

    bool insideOrOnTriangle(std::size_t p, std::size_t a, std::size_t b, std::size_t c) const
    {
        return notRightOf(p, a, b) && notRightOf(p, b, c) && notRightOf(p, c, a);
    }

    // A convex corner whose triangle holds no other corner of the outline. Corners at the same place as the
    // triangle's own (the two ends of a bridge edge appear twice in the outline) do not count.
    bool isEar(std::size_t corner) const
    {
        if (turnAt(corner) <= 0.0)
            return false;
        const std::size_t a = m_previous[corner];
        const std::size_t c = m_next[corner];
        for (std::size_t p = m_next[c]; p != a; p = m_next[p]) {
            if (distance(p, a) <= m_tolerance || distance(p, corner) <= m_tolerance || distance(p, c) <= m_tolerance)
                continue;
            if (insideOrOnTriangle(p, a, corner, c))
                return false;
        }
        return true;
    }

    void remove(std::size_t corner)
    {
        m_next[m_previous[corner]] = m_next[corner];
        m_previous[m_next[corner]] = m_previous[corner];
        --m_remaining;
    }

    std::vector<std::size_t> remainingOutline(std::size_t start) const
    {
        std::vector<std::size_t> outline{ start };
        for (std::size_t p = m_next[start]; p != start; p = m_next[p])
            outline.push_back(p);
        return outline;
    }

    std::vector<glm::dvec2> m_points;
    double m_tolerance;
    std::vector<std::size_t> m_previous;
    std::vector<std::size_t> m_next;
    std::size_t m_remaining;
};

std::vector<std::size_t> wholeOutline(std::size_t count)
{
    std::vector<std::size_t> outline(count);
    for (std::size_t i = 0; i < count; ++i)
        outline[i] = i;
    return outline;
}

} // namespace

void triangulatePolygon(std::span<const glm::vec3> corners, std::vector<uint32_t> &triangles)
{
    if (corners.size() < 3)
        return;
    if (corners.size() == 3) {
        appendTriangle(triangles, 0, 1, 2);
        return;
    }
    if (corners.size() == 4) {
        appendQuad(corners, triangles);
        return;
    }

    const double extent = largestExtent(corners);
    const double tolerance = positionTolerance(corners);
    const glm::dvec3 normal = newellNormal(corners);
    // NaN coordinates fail this test too and end up in the fan.
    if (!(glm::length(normal) > tolerance * extent)) {
        appendFan(wholeOutline(corners.size()), triangles);
        return;
    }
    EarClipper(flatten(corners, normal), tolerance).run(triangles);
}

} // namespace Orvane
