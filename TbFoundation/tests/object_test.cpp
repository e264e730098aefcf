#include <TbFoundation/event.h>
#include <TbFoundation/object.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace TbFoundation;

namespace {

// Appends "~<name>" to a shared log when destroyed.
class LoggedObject : public Object
{
public:
    LoggedObject(std::string name, std::vector<std::string> &log)
        : m_log(log)
    {
        setObjectName(std::move(name));
    }
    ~LoggedObject() override { m_log.push_back("~" + objectName()); }

private:
    std::vector<std::string> &m_log;
};

class HandlerRecorder : public Object
{
public:
    void timerEvent(Event *) override { calls.push_back("timer"); }
    void userEvent(Event *e) override { calls.push_back("user " + std::to_string(e->type())); }
    std::vector<std::string> calls;
};

} // namespace

TEST(Object, StartsAsAnUnnamedRoot)
{
    Object object;
    EXPECT_EQ(object.parent(), nullptr);
    EXPECT_TRUE(object.children().empty());
    EXPECT_EQ(object.objectName(), "");
    object.setObjectName("root");
    EXPECT_EQ(object.objectName(), "root");
}

TEST(Object, AddChildTakesOwnershipAnnouncesAndKeepsOrder)
{
    std::vector<std::string> log;
    Object parent;
    parent.childAdded().connect([&](Object *p, Object *c) {
        EXPECT_EQ(p, &parent);
        EXPECT_EQ(c->parent(), &parent);
        log.push_back("childAdded " + c->objectName());
    });

    auto first = std::make_unique<LoggedObject>("a", log);
    first->parentChanged().connect([&](Object *child, Object *newParent) {
        EXPECT_EQ(newParent, &parent);
        log.push_back("parentChanged " + child->objectName());
    });
    LoggedObject *a = parent.addChild(std::move(first));
    LoggedObject *b = parent.addChild(std::make_unique<LoggedObject>("b", log));

    EXPECT_EQ(a->objectName(), "a");
    ASSERT_EQ(parent.children().size(), 2u);
    EXPECT_EQ(parent.children()[0].get(), a);
    EXPECT_EQ(parent.children()[1].get(), b);
    EXPECT_EQ(log, (std::vector<std::string>{ "parentChanged a", "childAdded a", "childAdded b" }));
    EXPECT_EQ(parent.addChild(std::unique_ptr<Object>()), nullptr);
    EXPECT_EQ(parent.children().size(), 2u);
}

TEST(Object, DestroyingAParentDestroysTheTreeLastChildFirst)
{
    std::vector<std::string> log;
    {
        auto root = std::make_unique<LoggedObject>("root", log);
        auto *a = root->addChild(std::make_unique<LoggedObject>("a", log));
        a->addChild(std::make_unique<LoggedObject>("a1", log));
        root->addChild(std::make_unique<LoggedObject>("b", log));
        root->childRemoved().connect([&](Object *, Object *child) { log.push_back("removed " + child->objectName()); });
    }
    EXPECT_EQ(log, (std::vector<std::string>{ "~root", "removed b", "~b", "removed a", "~a", "~a1" }));
}

TEST(Object, TakeChildGivesUpOwnership)
{
    std::vector<std::string> log;
    Object parent;
    auto *child = parent.addChild(std::make_unique<LoggedObject>("c", log));
    Object stranger;
    EXPECT_EQ(parent.takeChild(&stranger), nullptr);

    Object *announcedParent = &parent;
    child->parentChanged().connect([&](Object *, Object *newParent) { announcedParent = newParent; });
    std::unique_ptr<Object> taken = parent.takeChild(child);
    EXPECT_EQ(taken.get(), child);
    EXPECT_EQ(child->parent(), nullptr);
    EXPECT_EQ(announcedParent, nullptr);
    EXPECT_TRUE(parent.children().empty());
    EXPECT_TRUE(log.empty());
}

TEST(Object, EventRunsHandlersOnlyForItselfAndOnlyForTimerAndUserTypes)
{
    struct Case {
        uint16_t type;
        bool targetIsSelf;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { Event::Timer, true, { "timer" } }, { Event::User, true, { "user 4096" } },
        { 5000, true, { "user 5000" } },     { Event::Update, true, {} },
        { Event::Quit, true, {} },           { Event::Timer, false, {} },
        { Event::User, false, {} },
    };
    for (const Case &c : cases) {
        HandlerRecorder object;
        Object other;
        Event e(c.type);
        object.event(c.targetIsSelf ? static_cast<EventReceiver *>(&object) : &other, &e);
        EXPECT_EQ(object.calls, c.expected) << "type " << c.type << " self " << c.targetIsSelf;
    }
}
