#version 450
// A sampler at set 3: with sets.vert the program uses sets 0 and 3, so sets 1 and 2 are empty.

layout(set = 3, binding = 0) uniform sampler2D image;

layout(location = 0) out vec4 color;

void main()
{
    color = texture(image, vec2(0.5));
}
