#include <TbFoundation/event.h>
#include <TbFoundation/event_dispatcher.h>
#include <TbFoundation/event_receiver.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace TbFoundation;

namespace {

// Records "<name>" for every event it sees and may accept it or run an action.
class Recorder : public EventReceiver
{
public:
    Recorder(std::string name, std::vector<std::string> &log, bool accepts = false)
        : name(std::move(name))
        , log(log)
        , accepts(accepts)
    {
    }
    void event(EventReceiver *, Event *e) override
    {
        log.push_back(name);
        if (action)
            action();
        if (accepts)
            e->accept();
    }
    std::string name;
    std::vector<std::string> &log;
    bool accepts;
    std::function<void()> action;
};

} // namespace

TEST(EventDispatcher, FiltersSeeEventsInInstallationOrderAndAcceptanceStopsDelivery)
{
    struct Case {
        const char *name;
        bool firstAccepts;
        bool secondAccepts;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "no filter accepts", false, false, { "first", "second", "target" } },
        { "second accepts", false, true, { "first", "second" } },
        { "first accepts", true, false, { "first" } },
    };
    for (const Case &c : cases) {
        std::vector<std::string> log;
        Recorder first("first", log, c.firstAccepts), second("second", log, c.secondAccepts), target("target", log);
        EventDispatcher dispatcher;
        dispatcher.installEventFilter(&first);
        dispatcher.installEventFilter(&second);
        dispatcher.installEventFilter(&first); // already installed: keeps its place
        EXPECT_EQ(dispatcher.eventFilterCount(), 2u);
        Event e(Event::User);
        dispatcher.deliver(&target, &e);
        EXPECT_EQ(log, c.expected) << c.name;
    }
}

TEST(EventDispatcher, RemovedFilterNoLongerSeesEvents)
{
    std::vector<std::string> log;
    Recorder filter("filter", log), target("target", log);
    EventDispatcher dispatcher;
    dispatcher.installEventFilter(&filter);
    dispatcher.removeEventFilter(&filter);
    EXPECT_FALSE(dispatcher.hasEventFilter(&filter));
    Event e(Event::User);
    dispatcher.deliver(&target, &e);
    EXPECT_EQ(log, std::vector<std::string>{ "target" });
}

TEST(EventDispatcher, FiltersMayBeRemovedOrInstalledDuringDelivery)
{
    std::vector<std::string> log;
    Recorder first("first", log), second("second", log), third("third", log), late("late", log), target("target", log);
    EventDispatcher dispatcher;
    dispatcher.installEventFilter(&first);
    dispatcher.installEventFilter(&second);
    dispatcher.installEventFilter(&third);
    // The first filter removes itself and the second, and installs another one.
    first.action = [&] {
        dispatcher.removeEventFilter(&first);
        dispatcher.removeEventFilter(&second);
        dispatcher.installEventFilter(&late);
        first.action = nullptr;
    };

    Event e(Event::User);
    dispatcher.deliver(&target, &e);
    EXPECT_EQ(log, (std::vector<std::string>{ "first", "third", "target" }));

    log.clear();
    dispatcher.deliver(&target, &e);
    EXPECT_EQ(log, (std::vector<std::string>{ "third", "late", "target" }));
    EXPECT_EQ(dispatcher.eventFilterCount(), 2u);
}
