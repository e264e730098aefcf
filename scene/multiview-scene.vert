#version 450
#extension GL_EXT_multiview : require

// The model's vertex shader, drawn for both eyes in one multiview pass: gl_ViewIndex 0 is the left eye,
// 1 the right eye. It reads the interleaved vertex (position, normal, texture coordinate; 32 bytes).

struct EyeMatrices {
    mat4 view;
    mat4 inverseView;
    mat4 projection;
    mat4 inverseProjection;
    mat4 viewProjection;
    mat4 inverseViewProjection;
    mat4 viewportMatrix;
};

// Both eyes' matrices: the left eye at byte 0, the right eye at byte 448 (896 bytes).
layout(set = 0, binding = 0) uniform StereoCamera
{
    EyeMatrices eyes[2];
} camera;

// The world matrix of the mesh renderer's entity, bound with a dynamic offset.
layout(set = 2, binding = 0) uniform ModelEntity
{
    mat4 modelMatrix;
} entity;

layout(location = 0) in vec3 vertexPosition;
layout(location = 1) in vec3 vertexNormal;
layout(location = 2) in vec2 vertexTexCoord;

layout(location = 0) out vec3 worldPosition;
layout(location = 1) out vec3 worldNormal;
layout(location = 2) out vec2 texCoord;
layout(location = 3) flat out vec3 eyePosition;

void main()
{
    const EyeMatrices eye = camera.eyes[gl_ViewIndex];
    const vec4 world = entity.modelMatrix * vec4(vertexPosition, 1.0);

    worldPosition = world.xyz;
    // The inverse transpose keeps normals perpendicular under non-uniform scaling.
    worldNormal = transpose(inverse(mat3(entity.modelMatrix))) * vertexNormal;
    texCoord = vertexTexCoord;
    // The eye sits at the origin of its view space; the inverse view matrix carries it into the world.
    eyePosition = eye.inverseView[3].xyz;

    gl_Position = eye.viewProjection * world;
}
