#include <Orvane/camera/stereo_camera.h>
#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/spatial/bounding_volume.h>
#include <Orvane/spatial/lowest_common_ancestor.h>
#include <Orvane/spatial/spatial_aspect.h>
#include <Orvane/spatial/srt_transform.h>

#include <TbBindings/create_binding.h>
#include <TbBindings/errors.h>

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <list>
#include <memory>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

const glm::mat4 Sentinel(7.0f);

void expectMatrixNear(const glm::mat4 &actual, const glm::mat4 &expected)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f) << "column " << c << ", row " << r;
}

// An entity with an SrtTransform placed at `translation`, turned by `degrees` about +Z and scaled by `scale`.
std::unique_ptr<Entity> placed(glm::vec3 translation, float degrees = 0.0f, float scale = 1.0f)
{
    auto entity = std::make_unique<Entity>();
    auto *transform = entity->createComponent<SrtTransform>();
    transform->translation = translation;
    transform->rotation = glm::angleAxis(glm::radians(degrees), glm::vec3(0, 0, 1));
    transform->scale = glm::vec3(scale);
    return entity;
}

SrtTransform *srt(Entity *entity)
{
    return static_cast<SrtTransform *>(entity->component<Transform>());
}

glm::mat4 world(Entity *entity)
{
    return entity->component<Transform>()->worldTransform.get();
}

// root (rotated, scaled)
//  +- a (rotated)
//  |   +- a1 (scaled)
//  |   |   +- a1x (rotated)
//  |   +- a2
//  +- b
class SpatialAspectTest : public ::testing::Test
{
protected:
    SpatialAspectTest()
    {
        spatial = engine.addAspect(std::make_unique<SpatialAspect>());
        auto tree = placed({ 10, 0, 0 }, 30.0f, 2.0f);
        root = tree.get();
        a = root->addChildEntity(placed({ 1, 0, 0 }, 90.0f));
        b = root->addChildEntity(placed({ 0, 5, 0 }));
        a1 = a->addChildEntity(placed({ 0, 1, 0 }, 0.0f, 0.5f));
        a2 = a->addChildEntity(placed({ 0, 0, 1 }));
        a1x = a1->addChildEntity(placed({ 3, 0, 0 }, 45.0f));
        engine.setRootEntity(std::move(tree));
        engine.processFrame();
    }

    static glm::mat4 local(Entity *entity) { return entity->component<Transform>()->localTransform.get(); }

    // Makes the world matrix of `entity` read-only: a recomputation of it would throw.
    void freeze(Entity *entity)
    {
        Transform *transform = entity->component<Transform>();
        auto &source = frozenValues.emplace_back(transform->worldTransform.get());
        transform->worldTransform = TbBindings::createBinding(source);
    }

    AspectEngine engine;
    SpatialAspect *spatial = nullptr;
    Entity *root = nullptr;
    Entity *a = nullptr;
    Entity *b = nullptr;
    Entity *a1 = nullptr;
    Entity *a2 = nullptr;
    Entity *a1x = nullptr;
    std::list<TbBindings::Property<glm::mat4>> frozenValues;
};

} // namespace

TEST_F(SpatialAspectTest, TheFirstFrameComputesEveryWorldMatrix)
{
    expectMatrixNear(world(root), local(root));
    expectMatrixNear(world(a), local(root) * local(a));
    expectMatrixNear(world(b), local(root) * local(b));
    expectMatrixNear(world(a1), local(root) * local(a) * local(a1));
    expectMatrixNear(world(a2), local(root) * local(a) * local(a2));
    expectMatrixNear(world(a1x), local(root) * local(a) * local(a1) * local(a1x));
    EXPECT_EQ(spatial->dirtyFlags, 0u);
    EXPECT_EQ(spatial->objectName(), "Spatial Aspect");
}

TEST_F(SpatialAspectTest, AChangeRecomputesOnlyTheSubtreeBelowIt)
{
    freeze(root);
    freeze(a);
    for (Entity *outside : { b, a2 })
        outside->component<Transform>()->worldTransform = Sentinel;

    srt(a1)->translation = glm::vec3(0, 2, 0);
    engine.processFrame();

    expectMatrixNear(world(a1), local(root) * local(a) * local(a1));
    expectMatrixNear(world(a1x), local(root) * local(a) * local(a1) * local(a1x));
    EXPECT_EQ(world(b), Sentinel);
    EXPECT_EQ(world(a2), Sentinel);
}

TEST_F(SpatialAspectTest, SeveralChangesRecomputeBelowTheirLowestCommonAncestor)
{
    freeze(root);
    b->component<Transform>()->worldTransform = Sentinel;
    a->component<Transform>()->worldTransform = Sentinel;

    srt(a1x)->scale = glm::vec3(3.0f);
    srt(a2)->translation = glm::vec3(0, 0, -1);
    engine.processFrame();

    expectMatrixNear(world(a), local(root) * local(a));
    expectMatrixNear(world(a2), local(root) * local(a) * local(a2));
    expectMatrixNear(world(a1x), local(root) * local(a) * local(a1) * local(a1x));
    EXPECT_EQ(world(b), Sentinel);
}

TEST_F(SpatialAspectTest, AFrameWithoutChangesWritesNothing)
{
    for (Entity *entity : { root, a, b, a1, a2, a1x })
        entity->component<Transform>()->worldTransform = Sentinel;
    engine.processFrame();
    for (Entity *entity : { root, a, b, a1, a2, a1x })
        EXPECT_EQ(world(entity), Sentinel);
}

TEST_F(SpatialAspectTest, AnEntityWithoutTransformPassesItsParentsMatrixOn)
{
    Entity *plain = a->addChildEntity(std::make_unique<Entity>());
    Entity *below = plain->addChildEntity(placed({ 0, 0, 4 }));
    engine.processFrame();
    expectMatrixNear(world(below), world(a) * local(below));
}

TEST_F(SpatialAspectTest, OnlyTheFirstTransformOfAnEntityTakesPart)
{
    auto *second = b->createComponent<SrtTransform>();
    second->translation = glm::vec3(100, 0, 0);
    Entity *child = b->addChildEntity(placed({ 1, 1, 1 }));
    engine.processFrame();
    expectMatrixNear(world(child), local(root) * local(b) * local(child));
    EXPECT_EQ(second->worldTransform.get(), glm::mat4(1.0f));
}

TEST_F(SpatialAspectTest, ANewRootIsComputedCompletely)
{
    auto tree = placed({ 0, 0, -3 }, 10.0f);
    Entity *newRoot = tree.get();
    Entity *child = newRoot->addChildEntity(placed({ 2, 0, 0 }));
    engine.setRootEntity(std::move(tree));
    EXPECT_EQ(spatial->entityTracker().tracked().size(), 2u);
    engine.processFrame();
    expectMatrixNear(world(newRoot), local(newRoot));
    expectMatrixNear(world(child), local(newRoot) * local(child));
}

TEST_F(SpatialAspectTest, WholeTreeRecomputationsFollowEveryChangeOfTheTreesShape)
{
    // Each step changes the shape or the components and the root's matrix, so that the whole tree is
    // recomputed; the next step changes only the root, recomputing the same tree again.
    const auto expectAll = [&](const char *step) {
        SCOPED_TRACE(step);
        expectMatrixNear(world(root), local(root));
        expectMatrixNear(world(a1x), local(root) * local(a) * local(a1) * local(a1x));
        expectMatrixNear(world(a2), local(root) * local(a) * local(a2));
    };
    float x = 10.0f;
    const auto moveRoot = [&] {
        x += 1.0f;
        srt(root)->translation = glm::vec3(x, 0, 0);
    };

    Entity *added = a2->addChildEntity(placed({ 0, 3, 0 }));
    moveRoot();
    engine.processFrame();
    expectAll("entity added");
    expectMatrixNear(world(added), local(root) * local(a) * local(a2) * local(added));
    moveRoot();
    engine.processFrame();
    expectAll("root moved after the addition");
    expectMatrixNear(world(added), local(root) * local(a) * local(a2) * local(added));

    // An entity without a transform gets one: its children now build on it.
    Entity *plain = b->addChildEntity(std::make_unique<Entity>());
    Entity *belowPlain = plain->addChildEntity(placed({ 1, 0, 0 }));
    moveRoot();
    engine.processFrame();
    expectMatrixNear(world(belowPlain), local(root) * local(b) * local(belowPlain));
    auto *late = plain->createComponent<SrtTransform>();
    late->translation = glm::vec3(0, 0, 2);
    moveRoot();
    engine.processFrame();
    expectMatrixNear(world(belowPlain), local(root) * local(b) * local(plain) * local(belowPlain));

    // A destroyed subtree is no longer written to.
    a->takeChildEntity(a1).reset();
    for (const char *step : { "subtree destroyed", "root moved after the destruction" }) {
        SCOPED_TRACE(step);
        moveRoot();
        engine.processFrame();
        expectMatrixNear(world(a2), local(root) * local(a) * local(a2));
        expectMatrixNear(world(added), local(root) * local(a) * local(a2) * local(added));
    }
}

TEST_F(SpatialAspectTest, ASubtreeTakenOutIsForgottenUntilItsPiecesComeBack)
{
    std::unique_ptr<Entity> taken = root->takeChildEntity(a);
    for (Entity *entity : { a, a1, a2, a1x })
        EXPECT_FALSE(spatial->transformTracker().isTracked(entity->component<Transform>()));
    engine.processFrame();

    // A change outside the scene does not hide one inside it.
    srt(a)->translation = glm::vec3(-1, 0, 0);
    srt(b)->translation = glm::vec3(0, -5, 0);
    engine.processFrame();
    expectMatrixNear(world(b), local(root) * local(b));

    // A piece put back under another parent is computed again below it.
    b->addChildEntity(a->takeChildEntity(a1));
    engine.processFrame();
    expectMatrixNear(world(a1), local(root) * local(b) * local(a1));
    expectMatrixNear(world(a1x), local(root) * local(b) * local(a1) * local(a1x));
}

TEST_F(SpatialAspectTest, ASlotChangingTheTreeDuringTheRecomputationLeavesEveryMatrixRight)
{
    // Moving the root recomputes the whole tree in one pass; moving `a` walks a's subtree.
    for (Entity *moved : { root, a }) {
        SCOPED_TRACE(moved == root ? "whole tree" : "subtree");
        Entity *camera = a->addChildEntity(std::make_unique<StereoCamera>());
        Entity *sibling = a->addChildEntity(placed({ 0, 0, 2 }));
        engine.processFrame();

        // The camera's views follow its world matrix; a slot reacts by replacing an entity the
        // recomputation has not reached yet.
        Entity *replacement = nullptr;
        static_cast<StereoCamera *>(camera)->centerViewMatrix.valueChanged().connect([&](const glm::mat4 &) {
            if (replacement)
                return;
            a->takeChildEntity(sibling).reset();
            replacement = b->addChildEntity(placed({ 0, 0, 3 }));
        });
        for (int frame = 0; frame < 2; ++frame) {
            srt(moved)->translation = srt(moved)->translation.get() + glm::vec3(1, 0, 0);
            engine.processFrame();
            ASSERT_NE(replacement, nullptr);
            expectMatrixNear(world(replacement), local(root) * local(b) * local(replacement));
            expectMatrixNear(world(a2), local(root) * local(a) * local(a2));
            expectMatrixNear(world(camera), local(root) * local(a));
        }
        a->takeChildEntity(camera).reset();
        b->takeChildEntity(replacement).reset();
        engine.processFrame();
    }
}

TEST_F(SpatialAspectTest, SlotsChangingTheTreeOnEveryWriteCannotHoldTheFrame)
{
    // Each new world matrix of a1 moves a1 again and adds an entity: every walk of the frame is disturbed.
    bool restless = true;
    std::vector<Entity *> added;
    a1->component<Transform>()->worldTransform.valueChanged().connect([&](const glm::mat4 &) {
        if (!restless)
            return;
        srt(a1)->translation = srt(a1)->translation.get() + glm::vec3(0, 1, 0);
        added.push_back(b->addChildEntity(placed({ 0, 0, 1 })));
    });
    srt(root)->translation = glm::vec3(11, 0, 0);
    engine.processFrame();

    // Once the slot calms down, the next frame leaves everything right.
    restless = false;
    engine.processFrame();
    expectMatrixNear(world(a1x), local(root) * local(a) * local(a1) * local(a1x));
    for (Entity *entity : added)
        expectMatrixNear(world(entity), local(root) * local(b) * local(entity));
}

TEST_F(SpatialAspectTest, MovingATransformToAnotherEntityMarksItChanged)
{
    Transform *transform = a2->component<Transform>();
    transform->entity = b;
    const auto &changed = spatial->transformTracker().changed();
    EXPECT_NE(std::find(changed.begin(), changed.end(), transform), changed.end());
    EXPECT_NE(spatial->dirtyFlags & SpatialAspect::TransformsDirty, 0u);
}

TEST_F(SpatialAspectTest, ABoundWorldMatrixMakesThePropagationThrow)
{
    freeze(a1);
    srt(a1)->translation = glm::vec3(9, 9, 9);
    EXPECT_THROW(engine.processFrame(), TbBindings::ReadOnlyProperty);
}

TEST_F(SpatialAspectTest, BoundingVolumesTakeTheWorldMatrixOfTheirEntityOrTheNearestAbove)
{
    auto *own = a1->createComponent<BoundingVolume>();
    Entity *plain = a1->addChildEntity(std::make_unique<Entity>());
    auto *inherited = plain->createComponent<BoundingVolume>();
    engine.processFrame();
    EXPECT_EQ(own->worldTransform.get(), world(a1));
    EXPECT_EQ(inherited->worldTransform.get(), world(a1));

    srt(a)->translation = glm::vec3(-4, 0, 0);
    engine.processFrame();
    expectMatrixNear(own->worldTransform.get(), local(root) * local(a) * local(a1));
    EXPECT_EQ(inherited->worldTransform.get(), world(a1));

    // A volume reporting a change of its own gets its matrix again.
    inherited->worldTransform = Sentinel;
    inherited->changed.emit(inherited);
    engine.processFrame();
    EXPECT_EQ(inherited->worldTransform.get(), world(a1));
}

TEST(SpatialTransformTracker, TrackingATransformAlsoTracksTheNearestTransformAbove)
{
    SpatialAspect spatial;
    Entity top;
    Transform *topTransform = top.createComponent<Transform>();
    Entity *plain = top.addChildEntity(std::make_unique<Entity>());
    Entity *leaf = plain->addChildEntity(std::make_unique<Entity>());
    Transform *leafTransform = leaf->createComponent<Transform>();

    EXPECT_TRUE(spatial.transformTracker().track(leafTransform));
    EXPECT_TRUE(spatial.transformTracker().isTracked(topTransform));
    EXPECT_FALSE(spatial.transformTracker().track(topTransform));
}

TEST(LowestCommonAncestor, FollowsTheFoldRules)
{
    Entity root;
    Entity *a = root.addChildEntity(std::make_unique<Entity>());
    Entity *a1 = a->addChildEntity(std::make_unique<Entity>());
    Entity *a1x = a1->addChildEntity(std::make_unique<Entity>());
    Entity *a2 = a->addChildEntity(std::make_unique<Entity>());
    Entity *b = root.addChildEntity(std::make_unique<Entity>());
    Entity elsewhere;
    Entity *stranger = elsewhere.addChildEntity(std::make_unique<Entity>());

    struct Case {
        const char *name;
        std::vector<Entity *> entities;
        Entity *expected;
    };
    const std::vector<Case> cases{
        { "empty", {}, nullptr },
        { "one entry", { a1x }, a1x },
        { "one null entry", { nullptr }, nullptr },
        { "siblings", { a1, a2 }, a },
        { "different depths", { a1x, a2 }, a },
        { "ancestor and descendant", { a1x, a }, a },
        { "nulls are skipped", { nullptr, a1x, nullptr, a1 }, a1 },
        { "only nulls", { nullptr, nullptr }, nullptr },
        { "across the root", { a1x, b }, &root },
        { "different trees fall back", { a1, stranger }, &root },
    };
    for (const Case &c : cases)
        EXPECT_EQ(lowestCommonAncestor(c.entities, &root), c.expected) << c.name;

    // Once the result is a root the fold ends: the entry from another tree is never looked at.
    EXPECT_EQ(lowestCommonAncestor({ a1, b, stranger }, nullptr), &root);
    EXPECT_EQ(lowestCommonAncestor({ a1, stranger, b }, nullptr), nullptr);
}
