#pragma once

#include <glm/vec2.hpp>

#include <cmath>
#include <numbers>
#include <vector>

namespace Orvane::Test {

// A flat ring written the way modelling programs write a face with a hole: the outer circle
// counter-clockwise, a bridge edge from its first corner to the inner circle, the inner circle clockwise,
// and back along the bridge. `segments` corners per circle, plus the two bridge ends again.
inline std::vector<glm::dvec2> ringOutline(int segments, double outerRadius, double innerRadius)
{
    const auto onCircle = [&](double radius, int i) {
        const double angle = 2.0 * std::numbers::pi * i / segments;
        return glm::dvec2(radius * std::cos(angle), radius * std::sin(angle));
    };
    std::vector<glm::dvec2> outline;
    for (int i = 0; i <= segments; ++i)
        outline.push_back(onCircle(outerRadius, i % segments));
    for (int i = 0; i <= segments; ++i)
        outline.push_back(onCircle(innerRadius, (segments - i) % segments));
    return outline;
}

// The area enclosed by an outline (shoelace formula; a bridge edge walked both ways adds nothing).
inline double outlineArea(const std::vector<glm::dvec2> &outline)
{
    double twiceArea = 0.0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const glm::dvec2 &a = outline[i];
        const glm::dvec2 &b = outline[(i + 1) % outline.size()];
        twiceArea += a.x * b.y - a.y * b.x;
    }
    return 0.5 * twiceArea;
}

// Even-odd test: whether `point` lies inside the outline (a bridge edge walked both ways cancels out).
inline bool insideOutline(const std::vector<glm::dvec2> &outline, const glm::dvec2 &point)
{
    bool inside = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const glm::dvec2 &a = outline[i];
        const glm::dvec2 &b = outline[j];
        if ((a.y > point.y) != (b.y > point.y) && point.x < (b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

} // namespace Orvane::Test
