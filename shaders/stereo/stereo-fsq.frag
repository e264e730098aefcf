#version 450
// Shows one eye: the layer named by the push constant.

layout(set = 0, binding = 0) uniform sampler2DArray colorTexture;
layout(push_constant) uniform PushConstants
{
    int arrayLayer;
};

layout(location = 0) in vec3 position; // part of the interface, never read
layout(location = 1) in vec2 texCoord;
layout(location = 0) out vec4 fragColor;

void main()
{
    fragColor = vec4(texture(colorTexture, vec3(texCoord.x, texCoord.y, float(arrayLayer))).rgb, 1.0);
}
