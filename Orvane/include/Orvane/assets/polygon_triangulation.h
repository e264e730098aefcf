#pragma once

#include <glm/vec3.hpp>

#include <cstdint>
#include <span>
#include <vector>

namespace Orvane {

// Splits one polygon face into triangles. `corners` are the corner positions in outline order; the polygon
// may be concave and may go around a hole through a bridge edge (an outline that runs from the outer
// boundary to the hole, around it and back along the same edge), as modelling programs write such faces.
// It is flattened onto the plane given by its Newell normal, so a slightly warped face is fine.
//
// Appends three indices into `corners` per triangle to `triangles`, each triangle wound like the polygon.
//   - fewer than 3 corners: nothing;
//   - 3 corners: the triangle itself;
//   - 4 corners: two triangles over the shorter diagonal, or over the other one where that keeps a
//     concave quad inside its outline;
//   - more: ear clipping. A corner in line with its neighbours (within single-precision rounding), or
//     repeated, adds no triangle. A polygon without area (all corners on one line, or NaN coordinates),
//     or an outline that crosses itself so that no ear is left, is finished as a fan over what remains,
//     so that every input ends.
// The work is constant for triangles and quads and grows roughly with the square of the number of
// corners from 5 on.
void triangulatePolygon(std::span<const glm::vec3> corners, std::vector<uint32_t> &triangles);

} // namespace Orvane
