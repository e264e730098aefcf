#version 450
// Every kind of resource a fragment stage declares, for the introspection tests.

layout(set = 0, binding = 0) uniform Camera
{
    mat4 viewMatrix;
    mat4 projectionMatrix;
    vec3 position;
} camera;

layout(set = 2, binding = 0) uniform sampler2D textures[4];
layout(set = 2, binding = 1) uniform sampler2D grid[2][3];
layout(set = 2, binding = 2) uniform texture2D separateImage;
layout(set = 2, binding = 3) uniform sampler separateSampler;
layout(set = 2, binding = 4, rgba8) uniform writeonly image2D storageImage;
layout(set = 2, binding = 5) uniform samplerBuffer texelBuffer;
layout(set = 2, binding = 6) buffer Results
{
    vec4 values[];
} results;

layout(location = 0) in vec3 normal;
layout(location = 0) out vec4 fragColor;

void main()
{
    vec4 sum = texture(textures[1], normal.xy) + texture(grid[1][2], normal.xy) +
               texture(sampler2D(separateImage, separateSampler), normal.xy) + texelFetch(texelBuffer, 0);
    imageStore(storageImage, ivec2(0), sum);
    results.values[0] = sum;
    fragColor = sum + vec4(camera.position, 1.0);
}
