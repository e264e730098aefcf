#include <Orvane/core/entity.h>
#include <Orvane/spatial/srt_transform.h>

#include <TbBindings/errors.h>

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cmath>

using namespace Orvane;

namespace {

void expectMatrixNear(const glm::mat4 &actual, const glm::mat4 &expected, float tolerance = 1e-5f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << ", row " << r;
}

} // namespace

TEST(SrtTransform, ScalesThenRotatesThenTranslates)
{
    const glm::quat quarterTurnAboutZ = glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 0, 1));
    const glm::mat4 local = composeSrt(glm::vec3(1, 0, 0), quarterTurnAboutZ, glm::vec3(2, 2, 2));
    const glm::vec4 point = local * glm::vec4(1, 0, 0, 1);
    EXPECT_NEAR(point.x, 1.0f, 1e-6f);
    EXPECT_NEAR(point.y, 2.0f, 1e-6f);
    EXPECT_NEAR(point.z, 0.0f, 1e-6f);
}

TEST(SrtTransform, MatchesTheProductOfTranslationRotationAndScale)
{
    const glm::quat rotation = glm::normalize(glm::quat(0.8f, 0.1f, -0.5f, 0.3f));
    const glm::vec3 translation(3, -2, 7);
    const glm::vec3 scale(0.5f, 2.0f, 3.0f);
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), translation) * glm::mat4_cast(rotation) *
            glm::scale(glm::mat4(1.0f), scale);
    expectMatrixNear(composeSrt(translation, rotation, scale), expected);
}

TEST(SrtTransform, QuaternionsAreStoredScalarFirst)
{
    const glm::quat identity(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(identity[0], 1.0f);
    EXPECT_EQ(&identity[0], &identity.w);
    SrtTransform transform;
    EXPECT_EQ(transform.rotation.get(), identity);
}

TEST(SrtTransform, LocalMatrixFollowsItsPartsAndAnnouncesTheChange)
{
    SrtTransform transform;
    int changes = 0;
    transform.changed.connect([&](Transform *t) {
        EXPECT_EQ(t, &transform);
        ++changes;
    });
    EXPECT_EQ(transform.localTransform.get(), glm::mat4(1.0f));

    transform.translation = glm::vec3(1, 2, 3);
    EXPECT_EQ(transform.localTransform.get(), glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)));
    EXPECT_EQ(changes, 1);
    transform.scale = glm::vec3(2.0f);
    EXPECT_EQ(changes, 2);
    // Equal values announce nothing.
    transform.scale = glm::vec3(2.0f);
    EXPECT_EQ(changes, 2);

    try {
        transform.localTransform = glm::mat4(2.0f);
        FAIL() << "the local matrix of an SrtTransform is bound";
    } catch (const TbBindings::ReadOnlyProperty &error) {
        EXPECT_STREQ(error.what(),
                     "Cannot set value on a read-only property. This property likely holds the result of "
                     "a binding expression.");
    }
}

TEST(Transform, MovingToAnotherEntityIsAChange)
{
    Entity first;
    Entity second;
    Transform *transform = first.createComponent<Transform>();
    int changes = 0;
    transform->changed.connect([&](Transform *) { ++changes; });
    transform->entity = &second;
    EXPECT_EQ(changes, 1);
    transform->localTransform = glm::mat4(2.0f);
    EXPECT_EQ(changes, 2);
}

TEST(Transform, AnnouncesItsDestructionFirst)
{
    auto transform = std::make_unique<SrtTransform>();
    Transform *seen = nullptr;
    transform->destroyed.connect([&](Transform *t) { seen = t; });
    Transform *raw = transform.get();
    transform.reset();
    EXPECT_EQ(seen, raw);
}
