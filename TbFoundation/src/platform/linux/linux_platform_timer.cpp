#include "linux_platform_timer.h"

#include <TbFoundation/platform/linux/linux_platform_event_loop.h>
#include <TbFoundation/timer.h>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>

namespace TbFoundation {

LinuxPlatformTimer::LinuxPlatformTimer(Timer *timer, LinuxPlatformEventLoop *loop)
    : m_timer(timer)
    , m_loop(loop)
{
    m_runningConnection = timer->running.valueChanged().connect([this](const bool &running) {
        if (running)
            arm(m_timer->interval.get());
        else
            disarm();
    });
    m_intervalConnection = timer->interval.valueChanged().connect([this](const std::chrono::microseconds &interval) {
        if (m_timer->running.get())
            arm(interval);
    });
    if (timer->running.get())
        arm(timer->interval.get());
}

LinuxPlatformTimer::~LinuxPlatformTimer()
{
    m_runningConnection.disconnect();
    m_intervalConnection.disconnect();
    disarm();
}

void LinuxPlatformTimer::detachFromLoop()
{
    disarm();
    m_loop = nullptr;
}

void LinuxPlatformTimer::arm(std::chrono::microseconds period)
{
    if (!m_loop)
        return;

    const std::chrono::microseconds effective = std::max(period, minimumPeriod);
    itimerspec spec{};
    spec.it_interval.tv_sec = static_cast<time_t>(effective.count() / 1000000);
    spec.it_interval.tv_nsec = static_cast<long>((effective.count() % 1000000) * 1000);
    spec.it_value = spec.it_interval;

    const bool fresh = m_fd < 0;
    if (fresh) {
        m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        // Like a refused operating-system timer elsewhere, a timer that cannot be created stays unarmed.
        if (m_fd < 0)
            return;
    }
    if (timerfd_settime(m_fd, 0, &spec, nullptr) != 0) {
        if (fresh) {
            ::close(m_fd);
            m_fd = -1;
        }
        return;
    }
    if (fresh)
        m_loop->registerTimer(m_fd, this);
}

void LinuxPlatformTimer::disarm()
{
    if (m_fd < 0)
        return;
    if (m_loop)
        m_loop->unregisterTimer(m_fd);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace TbFoundation
