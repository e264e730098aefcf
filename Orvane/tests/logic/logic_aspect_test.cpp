#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/logic/frame_action.h>
#include <Orvane/logic/logic_aspect.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <new>

using namespace Orvane;

namespace {

// A frame action that always lives in the same storage: one created after another was destroyed takes
// its address, as the allocator is free to do with any action.
class RecycledAction : public FrameAction
{
public:
    static void *operator new(std::size_t size)
    {
        if (size > sizeof(storage))
            throw std::bad_alloc();
        return storage;
    }
    static void operator delete(void *) { }

private:
    alignas(std::max_align_t) static inline std::byte storage[512];
};

class LogicAspectTest : public ::testing::Test
{
protected:
    LogicAspectTest()
    {
        logic = engine.addAspect(std::make_unique<LogicAspect>());
        auto tree = std::make_unique<Entity>();
        root = tree.get();
        child = root->addChildEntity(std::make_unique<Entity>());
        engine.setRootEntity(std::move(tree));
    }

    FrameAction *countedAction(Entity *entity, int &count)
    {
        auto *action = entity->createComponent<FrameAction>();
        action->triggered.connect([&count, action](FrameAction *a) {
            EXPECT_EQ(a, action);
            ++count;
        });
        return action;
    }

    AspectEngine engine;
    LogicAspect *logic = nullptr;
    Entity *root = nullptr;
    Entity *child = nullptr;
};

} // namespace

TEST_F(LogicAspectTest, AnActionFiresOncePerFrameFromTheNextFrameOn)
{
    int count = 0;
    FrameAction *action = countedAction(child, count);
    EXPECT_EQ(count, 0);
    engine.processFrame();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(logic->frameActions(), (std::vector<FrameAction *>{ action }));
    engine.processFrame();
    engine.processFrame();
    EXPECT_EQ(count, 3);
    EXPECT_EQ(logic->dirtyFlags, 0u);
    EXPECT_EQ(logic->objectName(), "Logic Aspect");
}

TEST_F(LogicAspectTest, ActionsFireInOrderOfAppearance)
{
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        child->createComponent<FrameAction>()->triggered.connect([&order, i](FrameAction *) { order.push_back(i); });
    engine.processFrame();
    EXPECT_EQ(order, (std::vector<int>{ 0, 1, 2 }));
}

TEST_F(LogicAspectTest, ADisabledActionStaysListedButDoesNotFire)
{
    int count = 0;
    FrameAction *action = countedAction(root, count);
    action->enabled = false;
    engine.processFrame();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(logic->frameActions().size(), 1u);
    action->enabled = true;
    engine.processFrame();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(logic->frameActions().size(), 1u);
}

TEST_F(LogicAspectTest, ADestroyedActionNeverFiresAgain)
{
    int count = 0;
    countedAction(child, count);
    engine.processFrame();
    root->takeChildEntity(child).reset();
    engine.processFrame();
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(logic->frameActions().empty());
}

TEST_F(LogicAspectTest, ActionsOfASubtreeTakenOutPauseUntilItIsPutBack)
{
    Entity *grandchild = child->addChildEntity(std::make_unique<Entity>());
    int count = 0;
    countedAction(grandchild, count);
    engine.processFrame();
    std::unique_ptr<Entity> taken = root->takeChildEntity(child);
    engine.processFrame();
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(logic->frameActions().empty());

    root->addChildEntity(std::move(taken));
    engine.processFrame();
    EXPECT_EQ(count, 2);
}

TEST_F(LogicAspectTest, AnActionDestroyedByAnotherDuringTheFrameIsSkipped)
{
    int laterCount = 0;
    FrameAction *first = child->createComponent<FrameAction>();
    Entity *other = root->addChildEntity(std::make_unique<Entity>());
    countedAction(other, laterCount);
    first->triggered.connect([this, other](FrameAction *) { root->takeChildEntity(other).reset(); });
    engine.processFrame();
    EXPECT_EQ(laterCount, 0);
    engine.processFrame();
    EXPECT_EQ(logic->frameActions(), (std::vector<FrameAction *>{ first }));
}

TEST_F(LogicAspectTest, AnActionCreatedDuringTheFrameAtTheAddressOfADestroyedOneWaitsForTheNextFrame)
{
    // The destroyer comes first in the frame: it destroys `doomed` and creates its successor in the same
    // storage before the frame reaches the place `doomed` had.
    bool armed = false;
    RecycledAction *successor = nullptr;
    int successorCount = 0;
    Entity *other = nullptr;
    child->createComponent<FrameAction>()->triggered.connect([&](FrameAction *) {
        if (!armed)
            return;
        armed = false;
        root->takeChildEntity(other).reset();
        successor = root->addComponent(std::make_unique<RecycledAction>());
        successor->triggered.connect([&successorCount](FrameAction *) { ++successorCount; });
    });
    other = root->addChildEntity(std::make_unique<Entity>());
    FrameAction *doomed = other->addComponent(std::make_unique<RecycledAction>());
    engine.processFrame();
    ASSERT_EQ(logic->frameActions().size(), 2u);

    armed = true;
    engine.processFrame();
    ASSERT_EQ(static_cast<FrameAction *>(successor), doomed);
    EXPECT_EQ(successorCount, 0);
    engine.processFrame();
    EXPECT_EQ(successorCount, 1);
}

TEST_F(LogicAspectTest, ReplacingTheRootEmptiesTheActions)
{
    int count = 0;
    countedAction(child, count);
    engine.processFrame();
    auto newRoot = std::make_unique<Entity>();
    int newCount = 0;
    countedAction(newRoot.get(), newCount);
    engine.setRootEntity(std::move(newRoot));
    EXPECT_TRUE(logic->frameActions().empty());
    engine.processFrame();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(newCount, 1);
}

TEST(LogicAspect, TheFirstRootAlsoStartsFromAnEmptyList)
{
    AspectEngine engine;
    auto *logic = engine.addAspect(std::make_unique<LogicAspect>());
    // An action tracked by hand before any root exists is forgotten when the first root arrives.
    Entity loose;
    logic->frameActionTracker().track(loose.createComponent<FrameAction>());
    engine.processFrame();
    EXPECT_EQ(logic->frameActions().size(), 1u);
    engine.setRootEntity(std::make_unique<Entity>());
    EXPECT_TRUE(logic->frameActions().empty());
    EXPECT_TRUE(logic->frameActionTracker().tracked().empty());
}
