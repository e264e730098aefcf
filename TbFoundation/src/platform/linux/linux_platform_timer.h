#pragma once

#include <TbFoundation/abstract_platform_timer.h>

#include <TbBindings/connection_handle.h>

#include <chrono>

namespace TbFoundation {

class LinuxPlatformEventLoop;
class Timer;

// Serves a Timer with a timerfd while the timer runs. The descriptor is the timer's identity: a change
// of interval re-arms the same descriptor, stopping closes it.
class LinuxPlatformTimer : public AbstractPlatformTimer
{
public:
    LinuxPlatformTimer(Timer *timer, LinuxPlatformEventLoop *loop);
    ~LinuxPlatformTimer() override;

    Timer *timer() const noexcept { return m_timer; }
    // -1 while not armed.
    int fileDescriptor() const noexcept { return m_fd; }

    // The loop is going away: disarm and never touch it again.
    void detachFromLoop();

    // Periods shorter than this are raised to it (a zero period would disarm a timerfd).
    static constexpr std::chrono::microseconds minimumPeriod{ 1000 };

private:
    void arm(std::chrono::microseconds period);
    void disarm();

    Timer *m_timer;
    LinuxPlatformEventLoop *m_loop;
    int m_fd = -1;
    TbBindings::ConnectionHandle m_runningConnection;
    TbBindings::ConnectionHandle m_intervalConnection;
};

} // namespace TbFoundation
