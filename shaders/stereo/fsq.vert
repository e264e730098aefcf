// Full-screen quad: six vertices, two triangles covering the viewport; no vertex buffer.
// Shared by the side-by-side and the anaglyph composition passes.
#version 450

layout(location = 0) out vec3 position; // part of the interface, never written
layout(location = 1) out vec2 texCoord;

const vec3 corners[6] = vec3[](vec3(-1.0, -1.0, 0.5), vec3(-1.0, 1.0, 0.5), vec3(1.0, 1.0, 0.5),
                               vec3(1.0, 1.0, 0.5), vec3(1.0, -1.0, 0.5), vec3(-1.0, -1.0, 0.5));
const vec2 texCoords[6] = vec2[](vec2(0.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 1.0),
                                 vec2(1.0, 1.0), vec2(1.0, 0.0), vec2(0.0, 0.0));

void main()
{
    gl_Position = vec4(corners[gl_VertexIndex], 1.0);
    texCoord = texCoords[gl_VertexIndex];
}
