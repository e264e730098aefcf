#include <Orvane/core/entity_tracker_base.h>
#include <Orvane/core/scene_graph_tracker.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

using namespace Orvane;

namespace {

struct Probe : Component {
    ~Probe() override { destroyed.emit(this); }
    TbBindings::Signal<Probe *> changed;
    TbBindings::Signal<Probe *> destroyed;
};

struct TestAspect {
    uint32_t dirtyFlags = 0;
};

using ProbeTracker = SceneGraphTracker<TestAspect, Probe>;

// Hands every probe of a tracked entity to the probe tracker, now and on each components change; takes them
// back when the entity leaves the tree.
class TestEntityTracker : public EntityTrackerBase<TestAspect>
{
public:
    TestEntityTracker(TestAspect *aspect, ProbeTracker *probes)
        : EntityTrackerBase(aspect, 1)
        , m_probes(probes)
    {
    }

protected:
    void registerComponentsToTrack(Entity *entity) override
    {
        addConnection(entity, entity->componentsChanged.connect([this](Entity *e) { trackProbes(e); }));
        trackProbes(entity);
    }
    void unregisterComponentsToTrack(Entity *entity) override
    {
        for (const auto &component : entity->components()) {
            if (auto *probe = dynamic_cast<Probe *>(component.get()))
                m_probes->untrack(probe);
        }
    }

private:
    void trackProbes(Entity *entity)
    {
        for (const auto &component : entity->components()) {
            if (auto *probe = dynamic_cast<Probe *>(component.get()))
                m_probes->track(probe);
        }
    }
    ProbeTracker *m_probes;
};

template<typename T>
bool contains(const std::vector<T *> &list, const T *item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

class TrackerTest : public ::testing::Test
{
protected:
    TestAspect aspect;
    ProbeTracker probes{ &aspect, 2 };
    TestEntityTracker entities{ &aspect, &probes };
};

} // namespace

TEST_F(TrackerTest, TrackingTwiceIsANoOp)
{
    Probe probe;
    EXPECT_TRUE(probes.track(&probe));
    EXPECT_EQ(aspect.dirtyFlags, 2u);
    EXPECT_FALSE(probes.track(&probe));
    EXPECT_FALSE(probes.track(nullptr));
    EXPECT_EQ(probes.tracked(), (std::vector<Probe *>{ &probe }));
    EXPECT_EQ(probes.added(), (std::vector<Probe *>{ &probe }));
    EXPECT_EQ(probes.connectionCount(&probe), 2u);
}

TEST_F(TrackerTest, ChangesAreListedOncePerConsumption)
{
    Probe probe;
    probes.track(&probe);
    aspect.dirtyFlags = 0;
    probe.changed.emit(&probe);
    probe.changed.emit(&probe);
    EXPECT_EQ(probes.changed(), (std::vector<Probe *>{ &probe }));
    EXPECT_EQ(aspect.dirtyFlags, 2u);

    EXPECT_EQ(probes.takeChanged(), (std::vector<Probe *>{ &probe }));
    EXPECT_TRUE(probes.changed().empty());
    probe.changed.emit(&probe);
    EXPECT_EQ(probes.changed(), (std::vector<Probe *>{ &probe }));
}

TEST_F(TrackerTest, ADestroyedObjectLeavesEveryListButRemoved)
{
    auto probe = std::make_unique<Probe>();
    Probe *raw = probe.get();
    // The removed list keeps the address as an identity only.
    const auto address = reinterpret_cast<std::uintptr_t>(raw);
    Probe stays;
    probes.track(raw);
    probes.track(&stays);
    raw->changed.emit(raw);
    probe.reset();

    EXPECT_EQ(probes.tracked(), (std::vector<Probe *>{ &stays }));
    EXPECT_EQ(probes.added(), (std::vector<Probe *>{ &stays }));
    EXPECT_TRUE(probes.changed().empty());
    ASSERT_EQ(probes.removed().size(), 1u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(probes.removed()[0]), address);
}

TEST_F(TrackerTest, TrackingAnEntityFollowsItsWholeSubtree)
{
    Entity root;
    Entity *child = root.addChildEntity(std::make_unique<Entity>());
    Probe *probe = child->createComponent<Probe>();
    EXPECT_TRUE(entities.track(&root));
    EXPECT_EQ(entities.added(), (std::vector<Entity *>{ &root, child }));
    EXPECT_EQ(probes.added(), (std::vector<Probe *>{ probe }));
    EXPECT_EQ(aspect.dirtyFlags, 3u);
    EXPECT_FALSE(entities.track(child));

    // A subtree added later is followed as a whole, components included.
    auto subtree = std::make_unique<Entity>();
    Entity *grandchild = subtree->addChildEntity(std::make_unique<Entity>());
    Probe *deepProbe = grandchild->createComponent<Probe>();
    Entity *subtreeRoot = child->addChildEntity(std::move(subtree));
    EXPECT_TRUE(entities.isTracked(subtreeRoot));
    EXPECT_TRUE(entities.isTracked(grandchild));
    EXPECT_TRUE(probes.isTracked(deepProbe));

    // A component added later is tracked, and the entity reported changed.
    entities.takeChanged();
    Probe *lateProbe = root.createComponent<Probe>();
    EXPECT_TRUE(probes.isTracked(lateProbe));
    EXPECT_EQ(entities.changed(), (std::vector<Entity *>{ &root }));
}

TEST_F(TrackerTest, DestroyingATrackedSubtreeReportsEveryEntityOfIt)
{
    Entity root;
    Entity *child = root.addChildEntity(std::make_unique<Entity>());
    Entity *grandchild = child->addChildEntity(std::make_unique<Entity>());
    Entity *greatGrandchild = grandchild->addChildEntity(std::make_unique<Entity>());
    Probe *probe = greatGrandchild->createComponent<Probe>();
    entities.track(&root);
    entities.takeAdded();
    probes.takeAdded();

    root.takeChildEntity(child).reset();
    EXPECT_EQ(entities.tracked(), (std::vector<Entity *>{ &root }));
    ASSERT_EQ(entities.removed().size(), 3u);
    for (Entity *gone : { child, grandchild, greatGrandchild })
        EXPECT_TRUE(contains(entities.removed(), gone));
    EXPECT_EQ(probes.removed(), (std::vector<Probe *>{ probe }));
}

TEST_F(TrackerTest, AChildTakenOutAndPutBackIsRemovedThenAddedAgain)
{
    Entity root;
    Entity *child = root.addChildEntity(std::make_unique<Entity>());
    entities.track(&root);
    entities.takeAdded();

    std::unique_ptr<Entity> taken = root.takeChildEntity(child);
    EXPECT_EQ(entities.removed(), (std::vector<Entity *>{ child }));
    EXPECT_EQ(entities.connectionCount(child), 0u);
    // Changes of an entity outside the tree are not reported.
    taken->layerMask = 1u;
    EXPECT_TRUE(entities.changed().empty());

    root.addChildEntity(std::move(taken));
    EXPECT_EQ(entities.added(), (std::vector<Entity *>{ child }));
    EXPECT_TRUE(entities.isTracked(child));
}

TEST_F(TrackerTest, ASubtreeTakenOutIsForgottenWholeUntilItIsPutBack)
{
    Entity root;
    Entity *child = root.addChildEntity(std::make_unique<Entity>());
    Entity *grandchild = child->addChildEntity(std::make_unique<Entity>());
    Probe *probe = grandchild->createComponent<Probe>();
    entities.track(&root);
    entities.takeAdded();
    probes.takeAdded();

    std::unique_ptr<Entity> taken = root.takeChildEntity(child);
    EXPECT_EQ(entities.tracked(), (std::vector<Entity *>{ &root }));
    EXPECT_EQ(entities.removed(), (std::vector<Entity *>{ child, grandchild }));
    EXPECT_EQ(probes.removed(), (std::vector<Probe *>{ probe }));
    aspect.dirtyFlags = 0;
    probe->changed.emit(probe);
    grandchild->layerMask = 1u;
    EXPECT_EQ(aspect.dirtyFlags, 0u);

    root.addChildEntity(std::move(taken));
    EXPECT_EQ(entities.added(), (std::vector<Entity *>{ child, grandchild }));
    EXPECT_EQ(probes.added(), (std::vector<Probe *>{ probe }));
}

TEST_F(TrackerTest, ResetCutsEveryConnection)
{
    Entity root;
    Probe *probe = root.createComponent<Probe>();
    entities.track(&root);
    entities.reset();
    probes.reset();
    aspect.dirtyFlags = 0;

    probe->changed.emit(probe);
    root.addChildEntity(std::make_unique<Entity>());
    root.createComponent<Probe>();
    EXPECT_TRUE(entities.tracked().empty());
    EXPECT_TRUE(entities.added().empty());
    EXPECT_TRUE(probes.tracked().empty());
    EXPECT_TRUE(probes.changed().empty());
    EXPECT_EQ(aspect.dirtyFlags, 0u);
}

TEST(TrackerLifetime, ATrackerDestroyedBeforeItsObjectsLeavesNoConnectionBehind)
{
    TestAspect aspect;
    Probe probe;
    {
        ProbeTracker probes(&aspect, 2);
        probes.track(&probe);
    }
    // A surviving connection would report the change to the destroyed tracker and raise the bit.
    aspect.dirtyFlags = 0;
    probe.changed.emit(&probe);
    EXPECT_EQ(aspect.dirtyFlags, 0u);
}
