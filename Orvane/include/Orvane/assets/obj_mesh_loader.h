#pragma once

#include <TbGpu/vertex_options.h>

#include <string>

namespace Orvane {

class Mesh;

// The vertex of a loaded OBJ mesh: 32 bytes, interleaved in one vertex buffer at binding 0.
//   location 0: position, three floats at offset 0
//   location 1: normal, three floats at offset 12
//   location 2: texture coordinate (u, 1 - v), two floats at offset 24
TbGpu::VertexOptions objMeshVertexFormat();

// Fills `mesh` from the Wavefront OBJ file at `path`: all shapes merged into one indexed triangle list
// (polygons, concave ones and faces around holes included, are split by triangulatePolygon), equal corners
// (same position, normal and texture coordinate, bitwise) sharing one vertex. Materials are ignored.
// Corners without a normal or texture coordinate get zeros. The file is UTF-8 text; a UTF-8 byte-order
// mark is skipped.
//
// Throws std::runtime_error when the file cannot be read or parsed (the loader's warning and error text,
// naming the file), when it is not UTF-8 text (a UTF-16 or UTF-32 byte-order mark, or NUL bytes), when
// a face has more than 255 corners (the parser cannot count them), when a face refers to a position,
// normal or texture coordinate the file does not have, and when the file holds no face at all.
void loadObjMesh(const std::string &path, Mesh &mesh);

} // namespace Orvane
