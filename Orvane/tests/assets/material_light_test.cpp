#include "asset_test_support.h"

#include <Orvane/assets/buffer.h>
#include <Orvane/assets/light.h>
#include <Orvane/assets/material.h>
#include <Orvane/assets/shader_program.h>
#include <Orvane/assets/texture.h>
#include <Orvane/core/entity.h>

#include <gtest/gtest.h>

using namespace Orvane;

namespace {

// A program whose "reload" is a path change without files behind it.
class ScriptedProgram : public ShaderProgram
{
public:
    bool loadShader() override { return true; }
    void reload(const std::string &path) { vertexShader = path; }
};

struct MaterialFixture : ::testing::Test {
    Material material;
    int changes = 0;

    MaterialFixture()
    {
        material.changed.connect([this](Material *emitter) {
            EXPECT_EQ(emitter, &material);
            ++changes;
        });
    }
};

TEST_F(MaterialFixture, SetTextureReplacesTheEntryOfASlotAndAppendsNewSlots)
{
    Texture2D a, b, c;
    material.setTexture(4, 0, &a);
    material.setTexture(4, 0, &b);
    ASSERT_EQ(material.textureBindings.get().size(), 1u);
    EXPECT_EQ(material.textureBindings.get()[0], (Material::BindingAndTexture{ 4, 0, &b }));
    material.setTexture(4, 1, &c);
    EXPECT_EQ(material.textureBindings.get().size(), 2u);
    EXPECT_EQ(changes, 3);
    material.setTexture(4, 1, &c);
    EXPECT_EQ(changes, 3) << "the same texture again is no change";
}

TEST_F(MaterialFixture, SetUniformBufferReplacesOffsetAndBuffer)
{
    UniformBuffer first, second;
    material.setUniformBuffer(3, 0, &first, 0);
    material.setUniformBuffer(3, 0, &second, 64);
    material.setUniformBuffer(3, 1, &first, 16);
    const std::vector<Material::BindingAndUBO> expected{ { 3, 0, 64, &second }, { 3, 1, 16, &first } };
    EXPECT_EQ(material.uniformBufferBindings.get(), expected);
    EXPECT_EQ(changes, 3);
    material.setUniformBuffer(3, 1, &first, 16);
    EXPECT_EQ(changes, 3);
}

TEST_F(MaterialFixture, BoundBindingListsMakeTheSettersThrow)
{
    TbBindings::Property<std::vector<Material::BindingAndTexture>> source;
    material.textureBindings = TbBindings::createBinding(source);
    Texture2D texture;
    EXPECT_THROW(material.setTexture(0, 0, &texture), TbBindings::ReadOnlyProperty);
}

TEST_F(MaterialFixture, GeneratorIsStoredAndAnnounced)
{
    material.setUniformDataGenerator([](uint32_t set, uint32_t binding) {
        return std::vector<uint8_t>{ uint8_t(set), uint8_t(binding) };
    });
    EXPECT_EQ(changes, 1);
    ASSERT_TRUE(material.uniformDataGenerator);
    EXPECT_EQ(material.uniformDataGenerator(3, 0), (std::vector<uint8_t>{ 3, 0 }));
    EXPECT_TRUE(material.staticUniformData().empty());
}

TEST_F(MaterialFixture, OnlyTheCurrentProgramsReloadsAreForwarded)
{
    ScriptedProgram oldProgram, newProgram;
    material.shaderProgram = &oldProgram;
    EXPECT_EQ(changes, 1);
    oldProgram.reload("a");
    EXPECT_EQ(changes, 2);

    material.shaderProgram = &newProgram;
    EXPECT_EQ(changes, 3);
    oldProgram.reload("b");
    EXPECT_EQ(changes, 3) << "the replaced program is no longer followed";
    newProgram.reload("c");
    EXPECT_EQ(changes, 4);

    material.shaderProgram = nullptr;
    EXPECT_EQ(changes, 5);
    newProgram.reload("d");
    EXPECT_EQ(changes, 5);
}

TEST_F(MaterialFixture, ADestroyedProgramIsLetGo)
{
    auto program = std::make_unique<ScriptedProgram>();
    material.shaderProgram = program.get();
    changes = 0;
    program.reset();
    EXPECT_EQ(material.shaderProgram.get(), nullptr);
    EXPECT_EQ(changes, 1);
}

TEST(MaterialLifetime, AProgramOutlivingItsMaterialReachesNothing)
{
    ScriptedProgram program;
    auto material = std::make_unique<Material>();
    bool destroyedSeen = false;
    material->destroyed.connect([&](Material *) { destroyedSeen = true; });
    material->shaderProgram = &program;
    material.reset();
    EXPECT_TRUE(destroyedSeen);
    program.reload("after"); // would reach the dead material if the connection had stayed
}

TEST(LightDefaults, AsDocumented)
{
    Light light;
    EXPECT_EQ(light.type.get(), Light::Type::Point);
    EXPECT_EQ(light.color.get(), glm::vec4(1.0f));
    EXPECT_FLOAT_EQ(light.intensity.get(), 0.5f);
    EXPECT_EQ(light.direction.get(), glm::vec3(0.0f, -1.0f, 0.0f));
    EXPECT_FLOAT_EQ(light.constantAttenuation.get(), 1.0f);
    EXPECT_FLOAT_EQ(light.linearAttenuation.get(), 0.0f);
    EXPECT_FLOAT_EQ(light.quadraticAttenuation.get(), 0.0f);
    EXPECT_EQ(light.spotDirection.get(), glm::vec3(0.0f, -1.0f, 0.0f));
    EXPECT_FLOAT_EQ(light.cutOffAngle.get(), 45.0f);
}

TEST(LightChanges, EveryPropertyAndTheEntityAnnounceOnce)
{
    Entity entity;
    auto *light = entity.createComponent<Light>();
    int changes = 0;
    light->changed.connect([&](Light *emitter) {
        EXPECT_EQ(emitter, light);
        ++changes;
    });
    const std::vector<std::function<void()>> edits{
        [&] { light->type = Light::Type::Directional; },
        [&] { light->color = glm::vec4(0.5f); },
        [&] { light->intensity = 2.0f; },
        [&] { light->direction = glm::vec3(1.0f, 0.0f, 0.0f); },
        [&] { light->constantAttenuation = 0.5f; },
        [&] { light->linearAttenuation = 0.1f; },
        [&] { light->quadraticAttenuation = 0.01f; },
        [&] { light->spotDirection = glm::vec3(0.0f, 0.0f, -1.0f); },
        [&] { light->cutOffAngle = 30.0f; },
        [&] { light->entity = nullptr; },
    };
    for (std::size_t i = 0; i < edits.size(); ++i) {
        edits[i]();
        EXPECT_EQ(changes, int(i + 1)) << "edit " << i;
    }
    light->cutOffAngle = 30.0f;
    EXPECT_EQ(changes, int(edits.size())) << "an equal value is no change";
}

TEST(LightLifetime, DestroyedIsAnnounced)
{
    auto light = std::make_unique<Light>();
    Light *seen = nullptr;
    light->destroyed.connect([&](Light *emitter) { seen = emitter; });
    Light *raw = light.get();
    light.reset();
    EXPECT_EQ(seen, raw);
}

} // namespace
