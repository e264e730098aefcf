#version 450
// Reads a position; its camera block sits at set 0 (the fragment stages add set 3).

layout(set = 0, binding = 0) uniform Camera
{
    mat4 viewProjection;
} camera;

layout(location = 0) in vec3 vertexPosition;

void main()
{
    gl_Position = camera.viewProjection * vec4(vertexPosition, 1.0);
}
