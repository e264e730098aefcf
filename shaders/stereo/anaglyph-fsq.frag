#version 450
// Red/cyan anaglyph: red from the left eye (layer 0), green and blue from the right eye (layer 1), so that each
// filter of red/cyan glasses passes one eye's image only.

layout(set = 0, binding = 0) uniform sampler2DArray colorTexture;

layout(location = 0) in vec3 position; // part of the interface, never read
layout(location = 1) in vec2 texCoord;
layout(location = 0) out vec4 fragColor;

void main()
{
    vec3 left = texture(colorTexture, vec3(texCoord, 0.0)).rgb;
    vec3 right = texture(colorTexture, vec3(texCoord, 1.0)).rgb;
    fragColor = vec4(left.r, right.g, right.b, 1.0);
}
