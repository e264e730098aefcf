#version 450
// The same resources as sets_a.frag with other code: both programs share one pipeline layout.

layout(set = 3, binding = 0) uniform sampler2D image;

layout(location = 0) out vec4 color;

void main()
{
    color = texture(image, vec2(0.25)) * 0.5;
}
