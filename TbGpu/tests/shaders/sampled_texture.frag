#version 450

// Copies the texel under the fragment with red and blue swapped, so what it wrote is told apart from its source.
layout(set = 0, binding = 0) uniform sampler2D source;
layout(location = 0) out vec4 colour;

void main()
{
    colour = texelFetch(source, ivec2(gl_FragCoord.xy), 0).bgra;
}
