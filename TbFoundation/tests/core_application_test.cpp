#include <TbFoundation/core_application.h>
#include <TbFoundation/logging.h>
#include <TbFoundation/update_event.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace TbFoundation;
using namespace std::chrono_literals;

namespace {

// An event with a number, counting its destructions.
struct NumberedEvent : Event {
    NumberedEvent(int number, int *destroyed = nullptr)
        : Event(Event::User)
        , number(number)
        , destroyed(destroyed)
    {
    }
    ~NumberedEvent() override
    {
        if (destroyed)
            ++*destroyed;
    }
    int number;
    int *destroyed;
};

class Receiver : public Object
{
public:
    void userEvent(Event *e) override
    {
        received.push_back(static_cast<NumberedEvent *>(e)->number);
        if (onUserEvent)
            onUserEvent(e);
    }
    std::vector<int> received;
    std::function<void(Event *)> onUserEvent;
};

class AcceptingFilter : public EventReceiver
{
public:
    void event(EventReceiver *, Event *e) override
    {
        ++seen;
        if (e->type() == Event::User)
            e->accept();
    }
    int seen = 0;
};

// Runs `action` on every event it is offered, then lets delivery go on.
class ActingFilter : public EventReceiver
{
public:
    void event(EventReceiver *, Event *) override
    {
        if (action)
            action();
    }
    std::function<void()> action;
};

// Counts how many were made and how many destroyed, from any thread.
struct CountedEvent : Event {
    CountedEvent(std::atomic<int> &made, std::atomic<int> &destroyed)
        : Event(Event::User)
        , destroyed(destroyed)
    {
        ++made;
    }
    ~CountedEvent() override { ++destroyed; }
    std::atomic<int> &destroyed;
};

class CoreApplicationTest : public ::testing::Test
{
protected:
    CoreApplication app;
};

} // namespace

TEST(CoreApplicationLifetime, PublishesItselfAndSetsUpItsLoggerAndLoop)
{
    EXPECT_EQ(CoreApplication::instance(), nullptr);
    spdlog::drop("application");
    {
        CoreApplication app;
        EXPECT_EQ(CoreApplication::instance(), &app);
        ASSERT_TRUE(app.logger());
        EXPECT_EQ(app.logger()->name(), "application");
        EXPECT_EQ(app.logger()->level(), spdlog::level::info);
        EXPECT_EQ(spdlog::get("application"), app.logger());
        EXPECT_NE(app.platformIntegration(), nullptr);
        ASSERT_NE(app.eventLoop(), nullptr);
        EXPECT_EQ(app.eventLoop()->eventDispatcher(), app.eventDispatcher());
        EXPECT_EQ(app.applicationName.get(), "");
        EXPECT_FALSE(app.quitRequested());
    }
    EXPECT_EQ(CoreApplication::instance(), nullptr);
}

TEST(CoreApplicationLifetime, ReusesAnExistingApplicationLoggerAndItsLevel)
{
    spdlog::drop("application");
    const auto existing = getOrCreateLogger("application", spdlog::level::err);
    CoreApplication app;
    EXPECT_EQ(app.logger(), existing);
    EXPECT_EQ(app.logger()->level(), spdlog::level::err);
    spdlog::drop("application");
}

TEST(CoreApplicationLifetime, UsesTheGivenIntegration)
{
    struct CountingIntegration : AbstractPlatformIntegration {
        explicit CountingIntegration(std::vector<std::string> &log)
            : log(log)
        {
        }
        void init() override { log.push_back("init"); }
        std::unique_ptr<AbstractPlatformEventLoop> createPlatformEventLoop() override
        {
            log.push_back("createPlatformEventLoop");
            return createDefaultPlatformIntegration()->createPlatformEventLoop();
        }
        std::vector<std::string> &log;
    };
    std::vector<std::string> log;
    auto integration = std::make_unique<CountingIntegration>(log);
    AbstractPlatformIntegration *raw = integration.get();
    CoreApplication app(std::move(integration));
    EXPECT_EQ(app.platformIntegration(), raw);
    EXPECT_EQ(log, (std::vector<std::string>{ "createPlatformEventLoop", "init" }));
}

TEST(CoreApplicationLifetime, FailedConstructionLeavesNoApplicationBehind)
{
    struct FailingIntegration : AbstractPlatformIntegration {
        void init() override { throw std::runtime_error("no platform"); }
        std::unique_ptr<AbstractPlatformEventLoop> createPlatformEventLoop() override
        {
            return createDefaultPlatformIntegration()->createPlatformEventLoop();
        }
    };
    EXPECT_THROW((void)std::make_unique<CoreApplication>(std::make_unique<FailingIntegration>()), std::runtime_error);
    ASSERT_EQ(CoreApplication::instance(), nullptr);
    Receiver receiver;
    EXPECT_FALSE(CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(1)));
}

TEST(CoreApplicationLifetime, PostingFromOtherThreadsWhileApplicationsComeAndGo)
{
    // Every event is either queued (then delivered or dropped with its application) or refused: each one
    // made is destroyed exactly once. One pushed onto a dying application's queue would not be.
    std::atomic<int> made{ 0 }, destroyed{ 0 };
    std::atomic<bool> stop{ false };
    EventReceiver sink;
    std::vector<std::thread> posters;
    for (int t = 0; t < 2; ++t) {
        posters.emplace_back([&] {
            while (!stop.load())
                CoreApplication::postEvent(&sink, std::make_unique<CountedEvent>(made, destroyed));
        });
    }
    // Each application has memory of its own, never reused: a poster still holding a destroyed one would
    // write into its remains, not into its successor.
    std::vector<std::optional<CoreApplication>> apps(1000);
    for (std::optional<CoreApplication> &app : apps) {
        app.emplace();
        // Returns once a poster has woken the loop: the posters are busy when the application goes.
        app->processEvents(-1);
        app.reset();
    }
    stop = true;
    for (std::thread &poster : posters)
        poster.join();
    EXPECT_EQ(destroyed.load(), made.load());
}

TEST(CoreApplicationLifetime, DropsQueuedEventsUndeliveredWhenDestroyed)
{
    int destroyed = 0;
    Receiver receiver;
    {
        CoreApplication app;
        CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(1, &destroyed));
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(receiver.received.empty());
}

TEST(CoreApplicationLifetime, WithoutAnApplicationPostingFailsAndSendingGoesStraightToTheTarget)
{
    Receiver receiver;
    int destroyed = 0;
    EXPECT_FALSE(CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(1, &destroyed)));
    EXPECT_EQ(destroyed, 1);
    NumberedEvent e(2);
    CoreApplication::sendEvent(&receiver, &e);
    EXPECT_EQ(receiver.received, std::vector<int>{ 2 });
}

TEST_F(CoreApplicationTest, PostedEventsArriveInPostingOrderOnTheNextDrain)
{
    Receiver receiver;
    EXPECT_TRUE(CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(1)));
    EXPECT_TRUE(CoreApplication::postEvent(&receiver, new NumberedEvent(2)));
    EXPECT_EQ(app.postedEventCount(), 2u);
    EXPECT_TRUE(receiver.received.empty());
    app.processEvents(0);
    EXPECT_EQ(receiver.received, (std::vector<int>{ 1, 2 }));
    EXPECT_EQ(app.postedEventCount(), 0u);
}

TEST_F(CoreApplicationTest, RejectsNullTargetsAndEvents)
{
    Receiver receiver;
    EXPECT_FALSE(CoreApplication::postEvent(nullptr, std::make_unique<NumberedEvent>(1)));
    EXPECT_FALSE(CoreApplication::postEvent(&receiver, std::unique_ptr<Event>()));
    EXPECT_EQ(app.postedEventCount(), 0u);
}

TEST_F(CoreApplicationTest, EventPostedDuringADrainWaitsForTheNextDrain)
{
    Receiver receiver;
    receiver.onUserEvent = [&](Event *e) {
        const int number = static_cast<NumberedEvent *>(e)->number;
        if (number < 3)
            CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(number + 1));
    };
    CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(1));
    app.processEvents(0);
    EXPECT_EQ(receiver.received, std::vector<int>{ 1 });
    app.processEvents(0);
    EXPECT_EQ(receiver.received, (std::vector<int>{ 1, 2 }));
    app.processEvents(0);
    app.processEvents(0);
    EXPECT_EQ(receiver.received, (std::vector<int>{ 1, 2, 3 }));
}

TEST_F(CoreApplicationTest, AcceptingFilterStopsPostedAndSentEvents)
{
    Receiver receiver;
    AcceptingFilter filter;
    app.installEventFilter(&filter);
    CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(1));
    app.processEvents(0);
    NumberedEvent sent(2);
    CoreApplication::sendEvent(&receiver, &sent);
    EXPECT_EQ(filter.seen, 2);
    EXPECT_TRUE(receiver.received.empty());

    // A filter that does not accept lets delivery continue.
    UpdateEvent update;
    CoreApplication::sendEvent(&receiver, &update);
    EXPECT_EQ(filter.seen, 3);

    app.removeEventFilter(&filter);
    NumberedEvent after(3);
    CoreApplication::sendEvent(&receiver, &after);
    EXPECT_EQ(receiver.received, std::vector<int>{ 3 });
}

TEST_F(CoreApplicationTest, EventsForADestroyedReceiverAreNeverDelivered)
{
    int destroyed = 0;
    auto doomed = std::make_unique<Receiver>();
    Receiver survivor;
    CoreApplication::postEvent(doomed.get(), std::make_unique<NumberedEvent>(1, &destroyed));
    CoreApplication::postEvent(&survivor, std::make_unique<NumberedEvent>(2, &destroyed));
    CoreApplication::postEvent(doomed.get(), std::make_unique<NumberedEvent>(3, &destroyed));
    doomed.reset();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(app.postedEventCount(), 1u);
    app.processEvents(0);
    EXPECT_EQ(survivor.received, std::vector<int>{ 2 });
}

TEST_F(CoreApplicationTest, ReceiverDestroyedByAHandlerDuringTheDrainIsSkipped)
{
    auto doomed = std::make_unique<Receiver>();
    Receiver killer;
    killer.onUserEvent = [&](Event *) { doomed.reset(); };
    CoreApplication::postEvent(&killer, std::make_unique<NumberedEvent>(1));
    CoreApplication::postEvent(doomed.get(), std::make_unique<NumberedEvent>(2));
    app.processEvents(0); // would touch freed memory (and fail under a sanitizer) if the entry survived
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(app.postedEventCount(), 0u);
}

TEST_F(CoreApplicationTest, TargetDestroyedByAFilterDuringItsDeliveryIsNotCalled)
{
    for (const bool posted : { true, false }) {
        // The filter destroys the target and a new receiver takes its memory at once, as the allocator
        // may do: a call through the stale target pointer would reach the newcomer.
        std::optional<Receiver> slot(std::in_place);
        ActingFilter filter;
        filter.action = [&] {
            slot.reset();
            slot.emplace();
        };
        // Nor is the event offered to the filters after it, with its stale target.
        ActingFilter later;
        int laterSeen = 0;
        later.action = [&] { ++laterSeen; };
        app.installEventFilter(&filter);
        app.installEventFilter(&later);
        NumberedEvent sent(1);
        if (posted) {
            CoreApplication::postEvent(&*slot, std::make_unique<NumberedEvent>(1));
            app.processEvents(0);
        } else {
            CoreApplication::sendEvent(&*slot, &sent);
        }
        EXPECT_TRUE(slot->received.empty()) << (posted ? "posted" : "sent");
        EXPECT_EQ(laterSeen, 0) << (posted ? "posted" : "sent");
    }
}

TEST_F(CoreApplicationTest, DestroyedFilterIsRemoved)
{
    Receiver receiver;
    auto filter = std::make_unique<AcceptingFilter>();
    app.installEventFilter(filter.get());
    filter.reset();
    EXPECT_EQ(app.eventDispatcher()->eventFilterCount(), 0u);
    NumberedEvent e(1);
    CoreApplication::sendEvent(&receiver, &e);
    EXPECT_EQ(receiver.received, std::vector<int>{ 1 });
}

TEST_F(CoreApplicationTest, QuitEventSetsQuitRequestedAndIsAccepted)
{
    Event quit(Event::Quit);
    CoreApplication::sendEvent(&app, &quit);
    EXPECT_TRUE(app.quitRequested());
    EXPECT_TRUE(quit.isAccepted());
}

TEST(CoreApplicationLifetime, ApplicationBehavesAsAnObjectForItsOwnEvents)
{
    struct App : CoreApplication {
        void userEvent(Event *) override { ++userEvents; }
        int userEvents = 0;
    } app;
    Receiver other;
    NumberedEvent forApp(1), forOther(2);
    app.event(&app, &forApp);
    app.event(&other, &forOther);
    EXPECT_EQ(app.userEvents, 1);
    EXPECT_FALSE(app.quitRequested());
}

TEST_F(CoreApplicationTest, ProcessEventsWithZeroTimeoutDoesNotBlock)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i)
        app.processEvents(0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST_F(CoreApplicationTest, PostFromAnotherThreadWakesABlockingProcessEvents)
{
    Receiver receiver;
    const auto start = std::chrono::steady_clock::now();
    std::thread poster([&] {
        std::this_thread::sleep_for(50ms);
        CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(7));
    });
    app.processEvents(5000);
    const auto waited = std::chrono::steady_clock::now() - start;
    poster.join();
    // Woken long before the 5 s limit; the event is delivered by the next drain.
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(app.postedEventCount(), 1u);
    app.processEvents(0);
    EXPECT_EQ(receiver.received, std::vector<int>{ 7 });
}

TEST_F(CoreApplicationTest, ManyThreadsPostWithoutLosingEvents)
{
    Receiver receiver;
    constexpr int threads = 4;
    constexpr int perThread = 500;
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&receiver, t] {
            for (int i = 0; i < perThread; ++i)
                CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(t * perThread + i));
        });
    }
    for (std::thread &poster : posters)
        poster.join();
    app.processEvents(0);
    ASSERT_EQ(receiver.received.size(), std::size_t(threads * perThread));
    // Each thread's events keep their order.
    std::vector<int> lastPerThread(threads, -1);
    for (int number : receiver.received) {
        EXPECT_GT(number, lastPerThread[number / perThread]);
        lastPerThread[number / perThread] = number;
    }
}

TEST_F(CoreApplicationTest, NoWakeUpIsLostWhilePostsAndWaitsInterleave)
{
    Receiver receiver;
    constexpr int total = 300;
    std::atomic<int> delivered{ 0 };
    receiver.onUserEvent = [&](Event *) { ++delivered; };
    std::thread poster([&] {
        for (int i = 0; i < total; ++i) {
            CoreApplication::postEvent(&receiver, std::make_unique<NumberedEvent>(i));
            if (i % 3 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        // The drain that delivers the last events is followed by a wait: end that one too.
        while (delivered.load() < total)
            std::this_thread::sleep_for(1ms);
        app.eventLoop()->wakeUp();
    });
    // Every wait is ended by the next post; a lost wake-up would stall one of them for 5 s.
    const auto start = std::chrono::steady_clock::now();
    while (delivered.load() < total && std::chrono::steady_clock::now() - start < 20s)
        app.processEvents(5000);
    poster.join();
    EXPECT_EQ(delivered.load(), total);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}
