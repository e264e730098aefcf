#include <Orvane/core/entity.h>

#include <TbBindings/create_binding.h>
#include <TbBindings/errors.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

using Log = std::vector<std::string>;

// A component that notes its destruction in a shared log.
struct NamedComponent : Component {
    NamedComponent(std::string name = {}, Log *log = nullptr)
        : name(std::move(name))
        , log(log)
    {
    }
    ~NamedComponent() override
    {
        if (log)
            log->push_back("component " + name + " destroyed");
    }
    std::string name;
    Log *log;
};

struct OtherComponent : Component { };

Entity *addChild(Entity &parent, const std::string &name)
{
    auto *child = parent.addChildEntity(std::make_unique<Entity>());
    child->setObjectName(name);
    return child;
}

} // namespace

TEST(Entity, AddingAChildAnnouncesTheNewParentBeforeTheAddition)
{
    Log log;
    Entity parent;
    auto child = std::make_unique<Entity>();
    child->parentEntityChanged.connect([&](Entity *e, Entity *p) {
        log.push_back("parentEntityChanged " + std::to_string(e->depth()) + (p == &parent ? " parent" : " other"));
    });
    parent.childEntityAdded.connect([&](Entity *) { log.push_back("childEntityAdded"); });

    Entity *raw = child.get();
    EXPECT_EQ(parent.addChildEntity(std::move(child)), raw);
    EXPECT_EQ(raw->parentEntity(), &parent);
    ASSERT_EQ(parent.childEntities().size(), 1u);
    EXPECT_EQ(parent.childEntities()[0].get(), raw);
    EXPECT_EQ(log, (Log{ "parentEntityChanged 1 parent", "childEntityAdded" }));

    EXPECT_THROW(parent.addChildEntity(std::unique_ptr<Entity>()), std::invalid_argument);
}

TEST(Entity, AddingAComponentSetsItsEntityAndAnnouncesIt)
{
    Entity entity;
    int announcements = 0;
    entity.componentsChanged.connect([&](Entity *e) {
        EXPECT_EQ(e, &entity);
        ++announcements;
    });
    auto *component = entity.createComponent<NamedComponent>();
    EXPECT_EQ(component->entity.get(), &entity);
    EXPECT_EQ(announcements, 1);
    ASSERT_EQ(entity.components().size(), 1u);
    EXPECT_EQ(entity.components()[0].get(), component);
}

TEST(Entity, AComponentWithABoundEntityIsRefused)
{
    Entity entity;
    Entity other;
    TbBindings::Property<Entity *> source{ &other };
    auto component = std::make_unique<NamedComponent>();
    component->entity = TbBindings::createBinding(source);
    try {
        entity.addComponent(std::move(component));
        FAIL() << "adding a component with a bound entity must throw";
    } catch (const TbBindings::ReadOnlyProperty &error) {
        EXPECT_STREQ(error.what(),
                     "Cannot set value on a read-only property. This property likely holds the result of "
                     "a binding expression.");
    }
    EXPECT_TRUE(entity.components().empty());
}

TEST(Entity, ComponentLookupReturnsTheFirstMatch)
{
    Entity entity;
    EXPECT_EQ(entity.component<NamedComponent>(), nullptr);
    entity.createComponent<OtherComponent>();
    auto *first = entity.createComponent<NamedComponent>();
    entity.createComponent<NamedComponent>();
    EXPECT_EQ(entity.component<NamedComponent>(), first);
    EXPECT_EQ(entity.component<Component>(), entity.components()[0].get());
}

TEST(Entity, ALayerMaskChangeIsAComponentsChange)
{
    Entity entity;
    int announcements = 0;
    entity.componentsChanged.connect([&](Entity *) { ++announcements; });
    entity.layerMask = 4u;
    entity.layerMask = 4u;
    EXPECT_EQ(announcements, 1);
}

TEST(Entity, DepthsFollowReparenting)
{
    Entity root;
    Entity *a = addChild(root, "a");
    Entity *b = addChild(*a, "b");
    Entity *c = addChild(*b, "c");
    Entity *other = addChild(root, "other");
    EXPECT_EQ(root.depth(), 0);
    EXPECT_EQ(a->depth(), 1);
    EXPECT_EQ(b->depth(), 2);
    EXPECT_EQ(c->depth(), 3);

    // The subtree under b moves to the top: every depth below it follows.
    std::unique_ptr<Entity> taken = a->takeChildEntity(b);
    ASSERT_EQ(taken.get(), b);
    EXPECT_EQ(b->parentEntity(), nullptr);
    EXPECT_EQ(b->depth(), 0);
    EXPECT_EQ(c->depth(), 1);
    EXPECT_TRUE(a->childEntities().empty());

    Entity *deep = addChild(*other, "deep");
    deep->addChildEntity(std::move(taken));
    EXPECT_EQ(b->depth(), 3);
    EXPECT_EQ(c->depth(), 4);

    EXPECT_EQ(root.takeChildEntity(c), nullptr);
}

TEST(Entity, DestructionTearsDownChildrenLastFirstThenComponents)
{
    Log log;
    auto root = std::make_unique<Entity>();
    Entity *first = addChild(*root, "first");
    Entity *second = addChild(*root, "second");
    addChild(*second, "grandchild");
    root->addComponent(std::make_unique<NamedComponent>("A", &log));
    root->addComponent(std::make_unique<NamedComponent>("B", &log));

    for (Entity *child : { first, second }) {
        child->parentEntityChanged.connect([&log](Entity *e, Entity *p) {
            log.push_back(e->objectName() + " parentEntityChanged " + (p ? "parent" : "null"));
        });
        child->destroyed.connect([&log](Entity *e) { log.push_back(e->objectName() + " destroyed"); });
    }
    second->childEntityRemoved.connect(
            [&log](Entity *e) { log.push_back("second childEntityRemoved " + e->objectName()); });
    Entity *rootEntity = root.get();
    root->childEntityRemoved.connect([&log, rootEntity](Entity *e) {
        // The child is already out of the list and has no parent any more.
        EXPECT_EQ(e->parentEntity(), nullptr);
        for (const auto &child : rootEntity->childEntities())
            EXPECT_NE(child.get(), e);
        log.push_back("root childEntityRemoved " + e->objectName());
    });
    root->destroyed.connect([&log](Entity *) { log.push_back("root destroyed"); });

    root.reset();
    EXPECT_EQ(log,
              (Log{
                      "second parentEntityChanged null",
                      "root childEntityRemoved second",
                      "second childEntityRemoved grandchild",
                      "second destroyed",
                      "first parentEntityChanged null",
                      "root childEntityRemoved first",
                      "first destroyed",
                      "root destroyed",
                      "component A destroyed",
                      "component B destroyed",
              }));
}
