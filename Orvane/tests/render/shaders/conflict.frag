#version 450
// Declares set 0 binding 0 as a sampler where kinds.vert has a uniform block.

layout(set = 0, binding = 0) uniform sampler2D camera;
layout(location = 0) out vec4 fragColor;

void main()
{
    fragColor = texture(camera, vec2(0.5));
}
