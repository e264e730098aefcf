#include <TbFoundation/core_application.h>
#include <TbFoundation/platform/linux/linux_platform_event_loop.h>
#include <TbFoundation/timer.h>

#include "platform/linux/linux_platform_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace TbFoundation;
using namespace std::chrono_literals;

namespace {

class TimerTest : public ::testing::Test
{
protected:
    LinuxPlatformEventLoop &loop() { return static_cast<LinuxPlatformEventLoop &>(*app.eventLoop()); }

    static int descriptorOf(const Timer &timer)
    {
        return static_cast<LinuxPlatformTimer *>(timer.platformTimer())->fileDescriptor();
    }

    // Runs the loop until `done` holds or `limit` passes.
    template<typename Predicate>
    bool runUntil(Predicate done, std::chrono::milliseconds limit = 3s)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            app.processEvents(50);
        }
        return true;
    }

    void spin(int calls)
    {
        for (int i = 0; i < calls; ++i)
            app.processEvents(10);
    }

    CoreApplication app;
};

} // namespace

TEST_F(TimerTest, StoppedTimerIsNotArmedAndNeverFires)
{
    Timer timer(5ms);
    int timeouts = 0;
    timer.timeout.connect([&] { ++timeouts; });
    ASSERT_NE(timer.platformTimer(), nullptr);
    EXPECT_EQ(descriptorOf(timer), -1);
    EXPECT_EQ(loop().armedTimerCount(), 0u);
    spin(5);
    EXPECT_EQ(timeouts, 0);
}

TEST_F(TimerTest, RunningTimerFiresRepeatedlyStopsAndRestarts)
{
    Timer timer(5ms);
    int timeouts = 0;
    timer.timeout.connect([&] { ++timeouts; });
    timer.start();
    EXPECT_GE(descriptorOf(timer), 0);
    EXPECT_EQ(loop().armedTimerCount(), 1u);
    EXPECT_TRUE(runUntil([&] { return timeouts >= 3; }));

    timer.stop();
    EXPECT_EQ(descriptorOf(timer), -1);
    EXPECT_EQ(loop().armedTimerCount(), 0u);
    const int before = timeouts;
    spin(5);
    EXPECT_EQ(timeouts, before);

    timer.start();
    EXPECT_TRUE(runUntil([&] { return timeouts > before; }));
}

TEST_F(TimerTest, IntervalChangeWhileRunningRearmsTheSameTimer)
{
    Timer timer(10s);
    int timeouts = 0;
    timer.timeout.connect([&] { ++timeouts; });
    timer.start();
    const int fd = descriptorOf(timer);
    ASSERT_GE(fd, 0);

    // The 10 s period would not fire within the test; the new one does, on the same descriptor.
    timer.interval = 5ms;
    EXPECT_EQ(descriptorOf(timer), fd);
    EXPECT_EQ(loop().armedTimerCount(), 1u);
    EXPECT_TRUE(runUntil([&] { return timeouts >= 2; }));
}

TEST_F(TimerTest, IntervalChangeWhileStoppedDoesNotArm)
{
    Timer timer(10s);
    timer.interval = 5ms;
    EXPECT_EQ(descriptorOf(timer), -1);
    EXPECT_EQ(loop().armedTimerCount(), 0u);
}

TEST_F(TimerTest, TimerCreatedRunningIsArmedAtOnce)
{
    Timer timer(1h);
    timer.running = true;
    EXPECT_EQ(loop().armedTimerCount(), 1u);
}

TEST_F(TimerTest, ZeroIntervalFiresAtTheMinimumPeriodInsteadOfDisarming)
{
    Timer timer(0us);
    int timeouts = 0;
    timer.timeout.connect([&] { ++timeouts; });
    timer.start();
    EXPECT_TRUE(runUntil([&] { return timeouts >= 2; }));
}

TEST_F(TimerTest, TwoTimersBothGetTheirTurn)
{
    Timer fast(1ms), slow(20ms);
    int fastTimeouts = 0, slowTimeouts = 0;
    fast.timeout.connect([&] { ++fastTimeouts; });
    slow.timeout.connect([&] { ++slowTimeouts; });
    fast.start();
    slow.start();
    EXPECT_TRUE(runUntil([&] { return slowTimeouts >= 2 && fastTimeouts >= 2; }));
}

TEST_F(TimerTest, DestroyingOrStoppingTimersFromTheirOwnTimeoutIsSafe)
{
    auto doomed = std::make_unique<Timer>(1ms);
    Timer stopper(1ms);
    int stops = 0;
    doomed->timeout.connect([&] { doomed.reset(); });
    stopper.timeout.connect([&] {
        ++stops;
        stopper.stop();
    });
    doomed->start();
    stopper.start();
    EXPECT_TRUE(runUntil([&] { return !doomed && stops == 1; }));
    EXPECT_EQ(loop().armedTimerCount(), 0u);
}

TEST(TimerLifetime, TimerWithoutApplicationIsInert)
{
    Timer timer(1ms);
    EXPECT_EQ(timer.platformTimer(), nullptr);
    timer.start();
    EXPECT_TRUE(timer.running.get());
}

TEST(TimerLifetime, TimerOutlivingTheApplicationIsDisarmedSafely)
{
    std::unique_ptr<Timer> timer;
    {
        CoreApplication app;
        timer = std::make_unique<Timer>(1ms);
        timer->start();
    }
    EXPECT_EQ(static_cast<LinuxPlatformTimer *>(timer->platformTimer())->fileDescriptor(), -1);
    timer->stop();
    timer->start(); // no loop any more: stays unarmed
    EXPECT_EQ(static_cast<LinuxPlatformTimer *>(timer->platformTimer())->fileDescriptor(), -1);
}
