#include <TbBindings/signal.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using TbBindings::ConnectionHandle;
using TbBindings::Signal;

namespace {

constexpr const char *noSuchConnection =
        "Provided ConnectionHandle does not match any connection\nLikely the connection was deleted before!";

struct Recorder {
    std::vector<std::string> calls;
    auto slot(std::string name)
    {
        return [this, name](int) { calls.push_back(name); };
    }
};

} // namespace

TEST(Signal, EmitWithoutConnectionsDoesNothing)
{
    Signal<int> signal;
    signal.emit(1);
    EXPECT_FALSE(signal.isConnectionActive(ConnectionHandle{}));
}

TEST(Signal, SlotsRunInSlotOrderAndReuseFreedSlots)
{
    Signal<int> signal;
    Recorder recorder;
    ConnectionHandle a = signal.connect(recorder.slot("A"));
    signal.connect(recorder.slot("B"));
    signal.connect(recorder.slot("C"));
    signal.disconnect(a);
    signal.connect(recorder.slot("D"));

    signal.emit(0);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{ "D", "B", "C" })) << "D re-uses A's slot 0";
}

TEST(Signal, ArgumentsReachTheSlotByReferenceAsDeclared)
{
    Signal<const std::string &, int &> signal;
    const std::string text = "text";
    int counter = 0;
    const std::string *seen = nullptr;
    signal.connect([&](const std::string &s, int &n) {
        seen = &s;
        ++n;
    });
    signal.emit(text, counter);
    EXPECT_EQ(seen, &text);
    EXPECT_EQ(counter, 1);
}

TEST(Signal, StaleHandleAfterSlotReuseLeavesTheNewConnectionAlone)
{
    Signal<int> signal;
    Recorder recorder;
    ConnectionHandle old = signal.connect(recorder.slot("old"));
    const ConnectionHandle staleCopy = old;
    old.disconnect();
    EXPECT_FALSE(old.isActive());

    ConnectionHandle fresh = signal.connect(recorder.slot("new"));
    EXPECT_EQ(fresh.index(), (TbBindings::GenerationalIndex{ 0, 1 }));

    EXPECT_FALSE(staleCopy.isActive()) << "same slot, older generation";
    signal.disconnect(staleCopy);
    ConnectionHandle(staleCopy).disconnect();
    EXPECT_TRUE(fresh.isActive());
    EXPECT_THROW(signal.isConnectionBlocked(staleCopy), std::out_of_range);

    signal.emit(0);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{ "new" });
}

TEST(Signal, ForeignHandlesAreIgnoredOrRefused)
{
    Signal<int> one;
    Signal<int> other;
    Recorder recorder;
    one.connect(recorder.slot("one"));
    ConnectionHandle foreign = other.connect(recorder.slot("other"));
    ASSERT_EQ(foreign.index().index, 0u) << "both connections sit in slot 0 generation 0";

    EXPECT_FALSE(one.isConnectionActive(foreign));
    one.disconnect(foreign);
    EXPECT_THROW(one.blockConnection(foreign, true), std::out_of_range);
    one.emit(0);
    other.emit(0);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{ "one", "other" }));
}

TEST(Signal, BlockingSkipsTheSlotAndReportsThePreviousFlag)
{
    Signal<int> signal;
    int calls = 0;
    ConnectionHandle handle = signal.connect([&](int) { ++calls; });

    EXPECT_FALSE(signal.blockConnection(handle, true));
    EXPECT_TRUE(signal.blockConnection(handle, true));
    EXPECT_TRUE(signal.isConnectionBlocked(handle));
    signal.emit(0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(handle.isActive()) << "a blocked connection stays connected";

    EXPECT_TRUE(signal.blockConnection(handle, false));
    signal.emit(0);
    EXPECT_EQ(calls, 1);
}

TEST(Signal, BlockQueriesOnCutConnectionsRaiseTheExactError)
{
    Signal<int> signal;
    ConnectionHandle handle = signal.connect([](int) {});
    signal.disconnect(handle);
    try {
        signal.isConnectionBlocked(handle);
        FAIL() << "expected std::out_of_range";
    } catch (const std::out_of_range &error) {
        EXPECT_STREQ(error.what(), noSuchConnection);
    }
    EXPECT_THROW(signal.blockConnection(ConnectionHandle{}, true), std::out_of_range);
}

TEST(Signal, SlotDisconnectingALaterConnectionPreventsItsCall)
{
    Signal<int> signal;
    Recorder recorder;
    ConnectionHandle later;
    signal.connect([&](int) {
        recorder.calls.push_back("first");
        later.disconnect();
    });
    later = signal.connect(recorder.slot("later"));
    signal.emit(0);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{ "first" });
}

TEST(Signal, SlotConnectingDuringEmissionIsNotCalledInIt)
{
    Signal<int> signal;
    int added = 0;
    signal.connect([&](int) { signal.connect([&](int) { ++added; }); });
    signal.emit(0);
    EXPECT_EQ(added, 0) << "the new connection lands beyond the slots the emission started with";
    signal.emit(0);
    EXPECT_EQ(added, 1);
}

TEST(Signal, SlotConnectingIntoAFreedSlotAheadRunsInTheSameEmission)
{
    Signal<int> signal;
    Recorder recorder;
    bool connected = false;
    signal.connect([&](int) {
        recorder.calls.push_back("A");
        if (!connected) {
            connected = true;
            signal.connect(recorder.slot("E")); // re-uses C's slot 2, ahead of the running slot 0
        }
    });
    signal.connect(recorder.slot("B"));
    ConnectionHandle c = signal.connect(recorder.slot("C"));
    signal.connect(recorder.slot("X"));
    c.disconnect();

    signal.emit(0);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{ "A", "B", "E", "X" }));
}

TEST(Signal, SlotMayDisconnectItselfAndKeepUsingItsCaptures)
{
    Signal<int> signal;
    auto payload = std::make_shared<std::string>("still alive");
    std::string seenAfterDisconnect;
    ConnectionHandle self;
    self = signal.connect([&, payload](int) {
        self.disconnect();
        seenAfterDisconnect = *payload;
    });
    signal.emit(0);
    EXPECT_EQ(seenAfterDisconnect, "still alive");
    EXPECT_EQ(payload.use_count(), 1) << "the callable is destroyed once the emission has returned";
    EXPECT_FALSE(self.isActive());
}

TEST(Signal, ConnectionCutDuringEmissionFreesItsSlotAtOnce)
{
    Signal<int> signal;
    Recorder recorder;
    ConnectionHandle b;
    bool replaced = false;
    signal.connect([&](int) {
        recorder.calls.push_back("A");
        if (!replaced) {
            replaced = true;
            b.disconnect();
            signal.connect(recorder.slot("D")); // takes B's slot 1, ahead of the emission
        }
    });
    b = signal.connect(recorder.slot("B"));
    signal.connect(recorder.slot("C"));

    signal.emit(0);
    signal.emit(0);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{ "A", "D", "C", "A", "D", "C" }));
}

TEST(Signal, SlotCutWhileRunningIsDestroyedWhenItsCallReturns)
{
    Signal<int> signal;
    auto payload = std::make_shared<std::string>("still alive");
    std::string seenAfterDisconnect;
    long useCountSeenByNextSlot = 0;
    ConnectionHandle self;
    self = signal.connect([&, payload](int) {
        self.disconnect();
        signal.connect([](int) {}); // must not take over the storage this call still runs from
        seenAfterDisconnect = *payload;
    });
    signal.connect([&](int) { useCountSeenByNextSlot = payload.use_count(); });

    signal.emit(0);
    EXPECT_EQ(seenAfterDisconnect, "still alive");
    EXPECT_EQ(useCountSeenByNextSlot, 1) << "the cut callable is gone before the emission moves on";
}

TEST(Signal, SlotCutInANestedEmissionLivesUntilItsOutermostCallReturns)
{
    Signal<int> signal;
    auto payload = std::make_shared<std::string>("still alive");
    const std::weak_ptr<std::string> watch = payload;
    long useCountAfterNestedCut = 0;
    std::vector<std::string> seen;
    ConnectionHandle self;
    self = signal.connect([&, payload](int depth) {
        if (depth == 0) {
            signal.emit(1);
            useCountAfterNestedCut = watch.use_count();
        } else
            self.disconnect();
        seen.push_back(*payload);
    });
    signal.emit(0);
    EXPECT_EQ(useCountAfterNestedCut, 2) << "the outer call still runs the callable";
    EXPECT_EQ(seen, (std::vector<std::string>{ "still alive", "still alive" }));
    payload.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(Signal, SlotMayDisconnectAllFromItsOwnEmission)
{
    Signal<int> signal;
    auto payload = std::make_shared<std::string>("still alive");
    std::string seenAfterDisconnect;
    int later = 0;
    signal.connect([&, payload](int) {
        signal.disconnectAll();
        signal.connect([&](int) { ++later; });
        seenAfterDisconnect = *payload;
    });
    signal.connect([&](int) { ++later; });

    signal.emit(0);
    EXPECT_EQ(seenAfterDisconnect, "still alive");
    EXPECT_EQ(later, 0) << "cut by disconnectAll before its turn, and the new connection lives elsewhere";
    EXPECT_EQ(payload.use_count(), 1);
    signal.emit(0);
    EXPECT_EQ(later, 1);
}

TEST(Signal, SlotMayDestroyTheSignalItRunsFrom)
{
    auto signal = std::make_unique<Signal<int>>();
    int later = 0;
    ConnectionHandle handle = signal->connect([&](int) { signal.reset(); });
    signal->connect([&](int) { ++later; });
    signal->emit(0);
    EXPECT_EQ(signal, nullptr);
    EXPECT_EQ(later, 0) << "connections cut by the destruction are skipped";
    EXPECT_FALSE(handle.isActive());
    handle.disconnect();
}

TEST(Signal, ReentrantEmissionRunsEveryLiveSlot)
{
    Signal<int> signal;
    std::vector<int> depths;
    signal.connect([&](int depth) {
        depths.push_back(depth);
        if (depth < 2)
            signal.emit(depth + 1);
    });
    signal.emit(0);
    EXPECT_EQ(depths, (std::vector<int>{ 0, 1, 2 }));
}

TEST(Signal, ExceptionFromASlotLeavesTheSignalUsable)
{
    Signal<int> signal;
    int calls = 0;
    ConnectionHandle thrower = signal.connect([&](int) {
        thrower.disconnect();
        throw std::runtime_error("slot failed");
    });
    signal.connect([&](int) { ++calls; });
    EXPECT_THROW(signal.emit(0), std::runtime_error);
    signal.emit(0);
    EXPECT_EQ(calls, 1);
    ConnectionHandle reused = signal.connect([](int) {});
    EXPECT_EQ(reused.index().index, 0u) << "the thrower's slot was handed back once the emission unwound";
}

TEST(Signal, DisconnectAllAndDestructionDeactivateEveryHandle)
{
    ConnectionHandle fromDestroyed;
    {
        Signal<int> signal;
        fromDestroyed = signal.connect([](int) {});
        EXPECT_TRUE(fromDestroyed.isActive());
    }
    EXPECT_FALSE(fromDestroyed.isActive());
    fromDestroyed.disconnect();

    Signal<int> signal;
    int calls = 0;
    ConnectionHandle a = signal.connect([&](int) { ++calls; });
    ConnectionHandle b = signal.connect([&](int) { ++calls; });
    signal.disconnectAll();
    EXPECT_FALSE(a.isActive());
    EXPECT_FALSE(b.isActive());
    signal.emit(0);
    EXPECT_EQ(calls, 0);

    ConnectionHandle fresh = signal.connect([&](int) { ++calls; });
    EXPECT_EQ(fresh.index(), (TbBindings::GenerationalIndex{ 0, 0 })) << "a fresh Impl numbers its slots anew";
    EXPECT_FALSE(a.isActive()) << "old handles do not reach the new Impl";
}

TEST(Signal, EmptyCallableRaisesBadFunctionCall)
{
    Signal<int> signal;
    signal.connect(std::function<void(int)>{});
    EXPECT_THROW(signal.emit(0), std::bad_function_call);
}

namespace {
struct Target {
    std::vector<std::string> log;
    void noArguments() { log.push_back("none"); }
    void oneSignalArgument(int value) { log.push_back("value " + std::to_string(value)); }
    void boundThenSignal(const std::string &tag, int value) { log.push_back(tag + " " + std::to_string(value)); }
    void reordered(int second, const std::string &first) const
    {
        const_cast<Target *>(this)->log.push_back(first + " " + std::to_string(second));
    }
};
} // namespace

TEST(Signal, MemberFunctionsTakeBoundLeadingArgumentsAndDropTrailingOnes)
{
    Signal<int, std::string> signal;
    Target target;
    signal.connect(&Target::noArguments, &target);
    signal.connect(&Target::oneSignalArgument, &target);
    signal.connect(&Target::boundThenSignal, &target, std::string("tag"));
    signal.connect(&Target::reordered, &target, TbBindings::Private::placeholder<1>{},
                   TbBindings::Private::placeholder<2>{});
    signal.emit(5, "five");
    EXPECT_EQ(target.log, (std::vector<std::string>{ "none", "value 5", "tag 5", "five 5" }));
}
