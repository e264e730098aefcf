#version 450
// Declares set 0 binding 0 as a sampler, where position.vert has a uniform block: the two cannot share
// one descriptor set layout.

layout(set = 0, binding = 0) uniform sampler2D image;

layout(location = 0) out vec4 color;

void main()
{
    color = texture(image, vec2(0.5));
}
