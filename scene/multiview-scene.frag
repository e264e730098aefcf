#version 450
#extension GL_EXT_multiview : require

// Phong shading (ambient + diffuse + specular) of the textured model from up to eight lights.

// Light types: 0 a point light at its entity's position, 1 a directional light shining along
// `direction`, 2 a spot light at its entity's position shining along `spotDirection`.
const int LIGHT_POINT = 0;
const int LIGHT_DIRECTIONAL = 1;
const int LIGHT_SPOT = 2;
const uint MAX_LIGHTS = 8;

// One 80-byte light record.
struct Light {
    vec4 color;
    vec3 direction;
    float intensity;
    int type;
    float constantAttenuation;
    float linearAttenuation;
    float quadraticAttenuation;
    vec3 spotDirection;
    float cutOffAngle; // degrees, half the cone's opening
    vec3 position;
    float unused;
};

// Eight records at 80 x i, then the number of lights in use at byte 640 (656 bytes).
layout(set = 1, binding = 0) uniform SceneLights
{
    Light lights[MAX_LIGHTS];
    uint count;
    uint reserved0;
    uint reserved1;
    uint reserved2;
} lighting;

// The material's 64 bytes: three colours and the specular exponent.
layout(set = 3, binding = 0) uniform PhongMaterial
{
    vec4 ambient;
    vec4 diffuse;
    vec4 specular;
    float shininess;
    float reserved0;
    float reserved1;
    float reserved2;
} material;

layout(set = 4, binding = 0) uniform sampler2D diffuseTexture;

layout(location = 0) in vec3 worldPosition;
layout(location = 1) in vec3 worldNormal;
layout(location = 2) in vec2 texCoord;
layout(location = 3) flat in vec3 eyePosition;

layout(location = 0) out vec4 fragColor;

// Distance falloff 1 / (c + l d + q d^2); a record with all three terms zero is not attenuated.
float attenuation(Light light, float distance)
{
    const float denominator =
        light.constantAttenuation + light.linearAttenuation * distance + light.quadraticAttenuation * distance * distance;
    if (light.constantAttenuation == 0.0 && light.linearAttenuation == 0.0 && light.quadraticAttenuation == 0.0)
        return 1.0;
    return 1.0 / max(denominator, 1e-4);
}

void main()
{
    const vec4 texel = texture(diffuseTexture, texCoord);
    const vec3 toEye = normalize(eyePosition - worldPosition);
    vec3 normal = normalize(worldNormal);
    // Surfaces seen from behind are lit as their visible side, whatever the winding.
    if (dot(normal, toEye) < 0.0)
        normal = -normal;

    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    const uint lightCount = min(lighting.count, MAX_LIGHTS);
    for (uint i = 0; i < lightCount; ++i) {
        const Light light = lighting.lights[i];
        vec3 toLight;
        float strength = light.intensity;
        if (light.type == LIGHT_DIRECTIONAL) {
            toLight = normalize(-light.direction);
        } else {
            const vec3 offset = light.position - worldPosition;
            const float distance = length(offset);
            toLight = distance > 0.0 ? offset / distance : normal;
            strength *= attenuation(light, distance);
            if (light.type == LIGHT_SPOT) {
                const float cosCutOff = cos(radians(light.cutOffAngle));
                const float cosAngle = dot(-toLight, normalize(light.spotDirection));
                // A soft rim over the outer tenth of the cone instead of a hard edge.
                const float cosInner = cos(radians(light.cutOffAngle * 0.9));
                strength *= smoothstep(cosCutOff, max(cosInner, cosCutOff + 1e-4), cosAngle);
            }
        }
        const vec3 radiance = light.color.rgb * strength;
        const float lambert = max(dot(normal, toLight), 0.0);
        diffuse += radiance * lambert;
        if (lambert > 0.0) {
            const vec3 reflected = reflect(-toLight, normal);
            specular += radiance * pow(max(dot(reflected, toEye), 0.0), max(material.shininess, 1.0));
        }
    }

    const vec3 lit = (material.ambient.rgb + material.diffuse.rgb * diffuse) * texel.rgb + material.specular.rgb * specular;
    fragColor = vec4(lit, texel.a * material.diffuse.a);
}
