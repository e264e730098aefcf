#version 450
// A compute stage writing a storage buffer at set 2 binding 1.

layout(local_size_x = 64) in;

layout(set = 2, binding = 1) buffer Values
{
    float values[];
} target;

void main()
{
    target.values[gl_GlobalInvocationID.x] = float(gl_GlobalInvocationID.x);
}
