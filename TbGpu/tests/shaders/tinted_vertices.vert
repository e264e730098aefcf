#version 450

// Vertices from a vertex buffer, coloured by a push constant.
layout(location = 0) in vec2 position;

layout(push_constant) uniform Tint {
    vec4 colour;
} tint;

layout(location = 0) out vec4 colour;

void main()
{
    gl_Position = vec4(position, 0.0, 1.0);
    colour = tint.colour;
}
