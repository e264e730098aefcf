#version 450

// Writes the pushed value plus the invocation index into each word of a storage buffer.
layout(local_size_x = 16) in;

layout(set = 0, binding = 0) buffer Words {
    uint words[];
} target;

layout(push_constant) uniform Fill {
    uint base;
} fill;

void main()
{
    target.words[gl_GlobalInvocationID.x] = fill.base + gl_GlobalInvocationID.x;
}
