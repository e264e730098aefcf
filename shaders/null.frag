#version 450

layout(location = 0) out vec4 fragColor;

void main()
{
    fragColor = vec4(0.4, 0.4, 0.4, 1.0);
}
