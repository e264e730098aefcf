#version 450
// Every kind of resource a vertex stage declares, for the introspection tests.

layout(set = 0, binding = 0) uniform Camera
{
    mat4 viewMatrix;
    mat4 projectionMatrix;
    vec3 position;
} camera;

struct Light {
    vec4 color;
    vec4 direction;
};

layout(set = 3, binding = 0) uniform Lights
{
    Light lights[2];
    int count;
} lights;

layout(set = 1, binding = 0) uniform ModelEntity
{
    mat4 modelMatrix;
} model;

layout(push_constant) uniform Constants
{
    float scale;
} constants;

layout(location = 0) in vec3 vertexPosition;
layout(location = 2) in vec2 vertexTexCoord;
layout(location = 1) in vec3 vertexNormal;
layout(location = 3) in ivec4 vertexJoints;

layout(location = 0) out vec3 normal;

void main()
{
    normal = vertexNormal + vec3(vertexTexCoord, float(vertexJoints.x)) + lights.lights[0].color.xyz * float(lights.count);
    gl_Position = camera.projectionMatrix * camera.viewMatrix * model.modelMatrix *
                  vec4(vertexPosition * constants.scale + camera.position, float(gl_VertexIndex));
}
