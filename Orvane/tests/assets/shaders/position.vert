#version 450
// A vertex stage reading only a position, with a camera block that the fragment stage of
// sampler_at_zero.frag declares differently.

layout(set = 0, binding = 0) uniform StereoCamera
{
    mat4 viewProjection;
} camera;

layout(location = 0) in vec3 vertexPosition;

void main()
{
    gl_Position = camera.viewProjection * vec4(vertexPosition, 1.0);
}
