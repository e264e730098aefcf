#version 450
// Position at location 0 and a two-component texture coordinate at location 2.

layout(location = 0) in vec3 vertexPosition;
layout(location = 2) in vec2 vertexTexCoord;

layout(location = 0) out vec2 texCoord;

void main()
{
    texCoord = vertexTexCoord;
    gl_Position = vec4(vertexPosition, 1.0);
}
