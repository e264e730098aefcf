#version 450
#extension GL_EXT_multiview : require

// One triangle over the upper-left half of the target, coloured per view from a uniform block: the left and
// right eye of a multiview pass get different colours from the same draw.
layout(set = 0, binding = 0) uniform ViewColours {
    vec4 colour[2];
} viewColours;

layout(location = 0) out vec4 colour;

void main()
{
    const vec2 corners[3] = vec2[](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0));
    gl_Position = vec4(corners[gl_VertexIndex], 0.5, 1.0);
    colour = viewColours.colour[gl_ViewIndex];
}
