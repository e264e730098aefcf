#include <TbFoundation/platform/linux/linux_event_source.h>
#include <TbFoundation/platform/linux/linux_platform_event_loop.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace TbFoundation;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

template<typename F>
Clock::duration timed(F &&f)
{
    const auto start = Clock::now();
    f();
    return Clock::now() - start;
}

// An event source over a pipe: every byte written is one event.
class PipeSource : public LinuxEventSource
{
public:
    PipeSource()
    {
        if (::pipe2(m_fds, O_NONBLOCK | O_CLOEXEC) != 0)
            ADD_FAILURE() << "pipe2 failed";
    }
    ~PipeSource() override
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    void push(char c) { ASSERT_EQ(::write(m_fds[1], &c, 1), 1); }
    int fileDescriptor() const override { return m_fds[0]; }
    bool dispatchOneEvent() override
    {
        char c = 0;
        if (::read(m_fds[0], &c, 1) != 1)
            return false;
        dispatched.push_back(c);
        return true;
    }
    std::vector<char> dispatched;

private:
    int m_fds[2] = { -1, -1 };
};

} // namespace

TEST(LinuxPlatformEventLoop, ZeroTimeoutOnAnIdleLoopReturnsAtOnce)
{
    LinuxPlatformEventLoop loop;
    ASSERT_TRUE(loop.hasWakeUpDescriptor());
    EXPECT_LT(timed([&] { loop.waitForEvents(0); }), 100ms);
}

TEST(LinuxPlatformEventLoop, IdleWaitRunsToItsTimeout)
{
    LinuxPlatformEventLoop loop;
    EXPECT_GE(timed([&] { loop.waitForEvents(60); }), 55ms);
}

TEST(LinuxPlatformEventLoop, WakeUpBeforeTheWaitReturnsAtOnceAndLeavesNothingPending)
{
    LinuxPlatformEventLoop loop;
    loop.wakeUp();
    loop.wakeUp(); // several wake-ups collapse into one
    EXPECT_LT(timed([&] { loop.waitForEvents(5000); }), 1s);
    // Consumed: the next wait blocks for its whole timeout.
    EXPECT_GE(timed([&] { loop.waitForEvents(60); }), 55ms);
}

TEST(LinuxPlatformEventLoop, WakeUpFromAnotherThreadEndsABlockingWait)
{
    LinuxPlatformEventLoop loop;
    std::thread waker([&] {
        std::this_thread::sleep_for(50ms);
        loop.wakeUp();
    });
    const auto waited = timed([&] { loop.waitForEvents(5000); });
    waker.join();
    EXPECT_GE(waited, 40ms);
    EXPECT_LT(waited, 2s);
}

TEST(LinuxPlatformEventLoop, HandlesOneSourceEventPerCall)
{
    LinuxPlatformEventLoop loop;
    PipeSource source;
    loop.addEventSource(&source);
    source.push('a');
    source.push('b');
    loop.waitForEvents(0);
    EXPECT_EQ(source.dispatched, std::vector<char>{ 'a' });
    loop.waitForEvents(0);
    EXPECT_EQ(source.dispatched, (std::vector<char>{ 'a', 'b' }));
    loop.waitForEvents(0);
    EXPECT_EQ(source.dispatched.size(), 2u);
    loop.removeEventSource(&source);
}

TEST(LinuxPlatformEventLoop, SourceEventArrivingDuringAWaitIsHandledByThatWait)
{
    LinuxPlatformEventLoop loop;
    PipeSource source;
    loop.addEventSource(&source);
    std::thread writer([&] {
        std::this_thread::sleep_for(30ms);
        source.push('x');
    });
    const auto waited = timed([&] { loop.waitForEvents(5000); });
    writer.join();
    EXPECT_LT(waited, 2s);
    EXPECT_EQ(source.dispatched, std::vector<char>{ 'x' });
    loop.removeEventSource(&source);
}

TEST(LinuxPlatformEventLoop, PendingEventIsHandledBeforeAPendingWakeUp)
{
    LinuxPlatformEventLoop loop;
    PipeSource source;
    loop.addEventSource(&source);
    source.push('a');
    loop.wakeUp();
    loop.waitForEvents(5000); // handles the event, the wake-up stays pending
    EXPECT_EQ(source.dispatched, std::vector<char>{ 'a' });
    EXPECT_LT(timed([&] { loop.waitForEvents(5000); }), 1s);
    loop.removeEventSource(&source);
}
