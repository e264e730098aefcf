#version 450
// Red/cyan anaglyph of the two eye layers. Plain: red from the left eye (layer 0), green and blue from the right
// eye (layer 1), so that each filter of red/cyan glasses passes one eye's image only. Least squares: each output
// channel mixes all three input channels of both eyes with the matrices that best reproduce both images through
// typical red/cyan filters, which keeps colours and reduces retinal rivalry.

layout(set = 0, binding = 0) uniform sampler2DArray colorTexture;
layout(push_constant) uniform PushConstants
{
    int flags; // bit 0: least-squares matrices; bit 1: eyes swapped
};

layout(location = 0) in vec3 position; // part of the interface, never read
layout(location = 1) in vec2 texCoord;
layout(location = 0) out vec4 fragColor;

// Output (r, g, b) = matrix * input (r, g, b); each vec3 below is one input channel's column.
const mat3 leftLeastSquares = mat3(vec3(0.456, -0.040, -0.015), vec3(0.500, -0.038, -0.021),
                                   vec3(0.176, -0.016, -0.005));
const mat3 rightLeastSquares = mat3(vec3(-0.043, 0.378, -0.072), vec3(-0.088, 0.734, -0.113),
                                    vec3(-0.002, -0.018, 1.226));

void main()
{
    const bool swapped = (flags & 2) != 0;
    vec3 left = texture(colorTexture, vec3(texCoord, swapped ? 1.0 : 0.0)).rgb;
    vec3 right = texture(colorTexture, vec3(texCoord, swapped ? 0.0 : 1.0)).rgb;
    if ((flags & 1) != 0)
        fragColor = vec4(clamp(leftLeastSquares * left + rightLeastSquares * right, 0.0, 1.0), 1.0);
    else
        fragColor = vec4(left.r, right.g, right.b, 1.0);
}
