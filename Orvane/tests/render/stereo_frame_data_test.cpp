// The uniform data of the stereo forward algorithm: slot strides and model blocks, the bytes of the camera and
// lights blocks, the eye's planes and viewport matrix, the block naming convention, and the layouts the scene
// shaders really declare for those blocks.

#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/shader_introspection.h>
#include <Orvane/render/stereo_frame_data.h>

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Orvane {
namespace {

using Render::StandardResourceType;

TEST(StereoFrameData, ModelSlotStrideIsTheFirstAlignedMultipleThatHoldsAMatrix)
{
    struct Case {
        uint64_t alignment;
        uint64_t stride;
        uint64_t slots;
    };
    for (const Case &c : { Case{ 64, 64, 250 }, Case{ 256, 256, 62 }, Case{ 1, 64, 250 }, Case{ 0, 64, 250 },
                           Case{ 16, 64, 250 }, Case{ 48, 96, 166 } }) {
        const uint64_t stride = modelSlotStride(c.alignment);
        EXPECT_EQ(stride, c.stride) << "alignment " << c.alignment;
        EXPECT_EQ(ModelBlock(stride).slotCount(), c.slots) << "alignment " << c.alignment;
    }
}

TEST(StereoFrameData, ModelBlocksFillUpAndReuseTheLowestFreeSlot)
{
    ModelBlockList list(256);
    std::vector<ModelSlot> slots;
    for (int i = 0; i < 62; ++i)
        slots.push_back(list.allocate());
    EXPECT_EQ(list.blocks().size(), 1u);
    EXPECT_EQ(slots.back().slot, 61u);
    const ModelSlot opening = list.allocate(); // the 63rd
    EXPECT_EQ(list.blocks().size(), 2u);
    EXPECT_EQ(opening.blockIndex, 1u);
    EXPECT_EQ(opening.slot, 0u);

    list.release(slots[7]);
    list.release(slots[3]);
    for (const uint64_t expected : { 3u, 7u }) {
        const ModelSlot reused = list.allocate();
        EXPECT_EQ(reused.blockIndex, 0u);
        EXPECT_EQ(reused.slot, expected) << "the lowest free slot of the first block with room comes first";
    }
    EXPECT_EQ(list.allocate().blockIndex, 1u);
}

TEST(StereoFrameData, RemovingAMiddleBlockMapsTheBlocksBehindItOneDown)
{
    Render::ResourceDeleter deleter(nullptr);
    ModelBlockList list(256);
    for (int i = 0; i < 3 * 62; ++i)
        list.allocate();
    for (uint64_t s = 0; s < 62; ++s)
        list.release({ 1, s });
    const std::vector<uint64_t> newIndex = list.removeEmptyBlocks(deleter);
    ASSERT_EQ(newIndex.size(), 3u);
    EXPECT_EQ(newIndex[0], 0u);
    EXPECT_EQ(newIndex[2], 1u);
    ASSERT_EQ(list.blocks().size(), 2u);
    // The old third block, full, is the second now.
    EXPECT_TRUE(std::all_of(list.blocks()[1].usedSlots.begin(), list.blocks()[1].usedSlots.end(),
                            [](bool used) { return used; }));
    EXPECT_TRUE(list.removeEmptyBlocks(deleter).empty()) << "nothing moves when no block is empty";

    // The last remaining block stays, even empty: the next mesh renderer needs one anyway.
    for (uint64_t b = 0; b < 2; ++b) {
        for (uint64_t s = 0; s < 62; ++s)
            list.release({ b, s });
    }
    list.removeEmptyBlocks(deleter);
    EXPECT_EQ(list.blocks().size(), 1u);
}

GpuLight numberedLight(int i)
{
    GpuLight light;
    light.color = glm::vec4(float(i + 1), 0.5f, 0.25f, 1.0f);
    light.intensity = float(i) + 0.5f;
    light.type = i % 3;
    light.worldPosition = glm::vec3(float(i), -1.0f, 2.0f);
    return light;
}

TEST(StereoFrameData, LightsBlockHoldsTheFirstEightLightsThenTheirCount)
{
    std::vector<GpuLight> storage;
    for (int i = 0; i < 10; ++i)
        storage.push_back(numberedLight(i));
    for (const std::size_t given : { std::size_t(5), std::size_t(10) }) {
        std::vector<const GpuLight *> lights;
        for (std::size_t i = 0; i < given; ++i)
            lights.push_back(&storage[i]);
        const auto bytes = lightsBlockBytes(lights);
        uint32_t count = 0;
        std::memcpy(&count, bytes.data() + 640, sizeof(count));
        const std::size_t expected = std::min<std::size_t>(given, 8);
        EXPECT_EQ(count, expected) << given << " lights";
        for (std::size_t i = 0; i < 8; ++i) {
            const uint8_t *record = bytes.data() + 80 * i;
            if (i < expected) {
                EXPECT_EQ(std::memcmp(record, &storage[i], 80), 0) << "record " << i;
            } else {
                EXPECT_TRUE(std::all_of(record, record + 80, [](uint8_t b) { return b == 0; })) << "record " << i;
            }
        }
        EXPECT_TRUE(std::all_of(bytes.begin() + 644, bytes.end(), [](uint8_t b) { return b == 0; }));
    }
}

// A matrix whose every element tells which eye and which of its seven matrices it is.
glm::mat4 tagged(int eye, int index)
{
    return glm::mat4(float(100 * (eye + 1) + index));
}

TEST(StereoFrameData, CameraBlockHoldsTheLeftEyeThenTheRightEachWithItsSevenMatricesInOrder)
{
    EyeData eyes[2];
    for (int e = 0; e < 2; ++e) {
        glm::mat4 *matrices[] = { &eyes[e].view,           &eyes[e].inverseView,
                                  &eyes[e].projection,     &eyes[e].inverseProjection,
                                  &eyes[e].viewProjection, &eyes[e].inverseViewProjection,
                                  &eyes[e].viewportMatrix };
        for (int i = 0; i < 7; ++i)
            *matrices[i] = tagged(e, i);
    }
    const auto bytes = cameraBlockBytes(eyes[0], eyes[1]);
    for (int e = 0; e < 2; ++e) {
        for (int i = 0; i < 7; ++i) {
            glm::mat4 read;
            std::memcpy(&read, bytes.data() + 448 * e + 64 * i, sizeof(read));
            EXPECT_EQ(read, tagged(e, i)) << "eye " << e << ", matrix " << i;
        }
    }
}

TEST(StereoFrameData, FrustumPlanesKeepPointsInsideAndRejectThoseBehindOrBeyond)
{
    // Looking down -z from z = 10, with near 1 and far 100 and the depth range 0..1 of the scene pass.
    const glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    glm::mat4 projection = glm::perspectiveRH_ZO(glm::radians(60.0f), 1.5f, 1.0f, 100.0f);
    const auto planes = frustumPlanes(projection * view);
    auto distances = [&](glm::vec3 point) {
        std::array<float, 6> d{};
        for (std::size_t i = 0; i < 6; ++i)
            d[i] = glm::dot(glm::vec3(planes[i]), point) + planes[i].w;
        return d;
    };
    for (const glm::vec4 &plane : planes)
        EXPECT_NEAR(glm::length(glm::vec3(plane)), 1.0f, 1e-5f);

    for (const float d : distances({ 1.0f, -1.0f, 0.0f }))
        EXPECT_GE(d, 0.0f);
    enum { Left, Right, Bottom, Top, Near, Far };
    struct Case {
        glm::vec3 point;
        int failing;
    };
    // 0.7 in front of the eye is closer than the near distance 1 (a -1..1 depth plane would let it through).
    for (const Case &c : { Case{ { 0, 0, 9.7f }, Near }, Case{ { 0, 0, 9.3f }, Near }, Case{ { 0, 0, -95 }, Far },
                           Case{ { -30, 0, 0 }, Left }, Case{ { 30, 0, 0 }, Right }, Case{ { 0, -30, 0 }, Bottom },
                           Case{ { 0, 30, 0 }, Top } }) {
        const auto d = distances(c.point);
        EXPECT_LT(d[c.failing], 0.0f) << "plane " << c.failing;
        for (int i = 0; i < 6; ++i) {
            if (i != c.failing) {
                EXPECT_GE(d[i], 0.0f) << "plane " << i << " of the case failing " << c.failing;
            }
        }
    }
}

TEST(StereoFrameData, ViewportMatrixMapsNormalisedDeviceCoordinatesToPixels)
{
    const glm::mat4 m = viewportMatrix(640.0f, 480.0f);
    struct Case {
        glm::vec3 ndc;
        glm::vec3 pixel;
    };
    for (const Case &c : { Case{ { -1, 1, 0.5f }, { 0, 0, 0.5f } }, Case{ { 1, -1, 0.5f }, { 640, 480, 0.5f } },
                           Case{ { 0, 0, 0 }, { 320, 240, 0 } }, Case{ { 1, 1, 1 }, { 640, 0, 1 } } }) {
        const glm::vec4 p = m * glm::vec4(c.ndc, 1.0f);
        EXPECT_NEAR(p.x, c.pixel.x, 1e-4f);
        EXPECT_NEAR(p.y, c.pixel.y, 1e-4f);
        EXPECT_NEAR(p.z, c.pixel.z, 1e-6f);
        EXPECT_EQ(p.w, 1.0f);
    }
}

TEST(StereoFrameData, BlockTypeNamesAreClassifiedByTheirEnd)
{
    struct Case {
        const char *name;
        StandardResourceType type;
    };
    for (const Case &c :
         { Case{ "StereoCamera", StandardResourceType::Camera }, Case{ "Camera", StandardResourceType::Camera },
           Case{ "ModelEntity", StandardResourceType::Entity }, Case{ "PhongMaterial", StandardResourceType::Material },
           Case{ "SceneLights", StandardResourceType::Lights }, Case{ "Other", StandardResourceType::None },
           Case{ "", StandardResourceType::None }, Case{ "CameraOfEntityX", StandardResourceType::None },
           // Entity is tested first.
           Case{ "CameraEntity", StandardResourceType::Entity }, Case{ "LightsCamera", StandardResourceType::Camera } })
        EXPECT_EQ(Render::standardResourceType(c.name), c.type) << c.name;
}

// ---- the scene shaders' own layouts ---------------------------------------------------------------------------

std::vector<uint32_t> sceneSpirV(const std::string &name)
{
    std::ifstream file(std::string(SCENE_DIR) + "/" + name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), {});
    std::vector<uint32_t> words(bytes.size() / 4);
    std::memcpy(words.data(), bytes.data(), words.size() * 4);
    return words;
}

const ResourceBinding &blockOfType(const ResourceFormat &format, StandardResourceType type, uint32_t *set)
{
    for (const ResourceSet &candidate : format.sets) {
        for (const ResourceBinding &binding : candidate.bindings) {
            if (Render::standardResourceType(binding.block.typeName) == type) {
                *set = candidate.set;
                return binding;
            }
        }
    }
    throw std::runtime_error("no block of type " + std::to_string(uint32_t(type)));
}

const BlockDescription &member(const BlockDescription &block, const std::string &name)
{
    const auto it = std::find_if(block.members.begin(), block.members.end(),
                                 [&](const BlockDescription &m) { return m.name == name; });
    if (it == block.members.end())
        throw std::runtime_error("no member " + name + " in " + block.typeName);
    return *it;
}

class SceneShaderBlocks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<ShaderAttribute> attributes;
        Render::introspectShaderModule(sceneSpirV("multiview-scene.vert.spv"), format, logger, &attributes);
        Render::introspectShaderModule(sceneSpirV("multiview-scene.frag.spv"), format, logger, nullptr);
        ASSERT_TRUE(Render::mergeResourceFormat(format).ok);
        ASSERT_TRUE(log.str().empty()) << log.str();
    }

    std::ostringstream log;
    spdlog::logger logger{ "stereo frame data test", std::make_shared<spdlog::sinks::ostream_sink_st>(log) };
    ResourceFormat format;
};

TEST_F(SceneShaderBlocks, CameraBlockHasBothEyesSevenMatricesEach)
{
    uint32_t set = 99;
    const ResourceBinding &binding = blockOfType(format, StandardResourceType::Camera, &set);
    EXPECT_EQ(set, 0u);
    EXPECT_EQ(binding.block.size, CameraBlockSize);
    const BlockDescription &eyes = member(binding.block, "eyes");
    EXPECT_EQ(eyes.offset, 0u);
    EXPECT_EQ(eyes.size / 2, EyeBlockSize) << "the right eye starts at byte 448";
    const char *names[] = { "view",           "inverseView",           "projection",    "inverseProjection",
                            "viewProjection", "inverseViewProjection", "viewportMatrix" };
    ASSERT_EQ(eyes.members.size(), std::size(names));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(eyes.members[i].name, names[i]);
        EXPECT_EQ(eyes.members[i].offset, 64 * i) << names[i];
        EXPECT_EQ(eyes.members[i].size, 64u) << names[i];
    }
}

TEST_F(SceneShaderBlocks, LightsBlockRecordsMatchTheGpuLightLayout)
{
    uint32_t set = 99;
    const ResourceBinding &binding = blockOfType(format, StandardResourceType::Lights, &set);
    EXPECT_EQ(binding.block.size, LightsBlockSize);
    EXPECT_EQ(member(binding.block, "count").offset, LightCountOffset);
    const BlockDescription &lights = member(binding.block, "lights");
    EXPECT_EQ(lights.offset, 0u);
    EXPECT_EQ(lights.size / MaxLights, sizeof(GpuLight)) << "the record stride";
    struct Field {
        const char *name;
        std::size_t offset;
    };
    const Field fields[] = { { "color", offsetof(GpuLight, color) },
                             { "direction", offsetof(GpuLight, direction) },
                             { "intensity", offsetof(GpuLight, intensity) },
                             { "type", offsetof(GpuLight, type) },
                             { "constantAttenuation", offsetof(GpuLight, constantAttenuation) },
                             { "linearAttenuation", offsetof(GpuLight, linearAttenuation) },
                             { "quadraticAttenuation", offsetof(GpuLight, quadraticAttenuation) },
                             { "spotDirection", offsetof(GpuLight, spotDirection) },
                             { "cutOffAngle", offsetof(GpuLight, cutOffAngle) },
                             { "position", offsetof(GpuLight, worldPosition) } };
    for (const Field &field : fields)
        EXPECT_EQ(member(lights, field.name).offset, field.offset) << field.name;
}

TEST_F(SceneShaderBlocks, EntityBlockIsOneDynamicMatrixAndMaterialBlockHasShininessAt48)
{
    uint32_t set = 99;
    const ResourceBinding &entity = blockOfType(format, StandardResourceType::Entity, &set);
    EXPECT_EQ(set, 2u);
    EXPECT_EQ(entity.block.size, ModelMatrixSize);
    EXPECT_EQ(entity.type, 8u) << "a dynamic uniform buffer";

    const ResourceBinding &material = blockOfType(format, StandardResourceType::Material, &set);
    EXPECT_EQ(set, 3u);
    EXPECT_EQ(material.block.size, 64u);
    EXPECT_EQ(member(material.block, "shininess").offset, 48u);
}

} // namespace
} // namespace Orvane
