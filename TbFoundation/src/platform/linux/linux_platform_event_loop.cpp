#include <TbFoundation/platform/linux/linux_platform_event_loop.h>

#include "linux_platform_timer.h"

#include <TbFoundation/platform/linux/linux_event_source.h>
#include <TbFoundation/timer.h>

#include <spdlog/spdlog.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace TbFoundation {

LinuxPlatformEventLoop::LinuxPlatformEventLoop()
{
    m_timers.reserve(8);
    m_wakeUpFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeUpFd < 0)
        spdlog::critical("Failed to create wake up event");
}

LinuxPlatformEventLoop::~LinuxPlatformEventLoop()
{
    // Timers may outlive the loop; they must stop using it.
    while (!m_timers.empty())
        m_timers.begin()->second->detachFromLoop();
    if (m_wakeUpFd >= 0)
        ::close(m_wakeUpFd);
}

void LinuxPlatformEventLoop::waitForEvents(int timeout)
{
    if (dispatchOnePendingEvent())
        return;

    m_pollFds.clear();
    if (m_wakeUpFd >= 0)
        m_pollFds.push_back(pollfd{ m_wakeUpFd, POLLIN, 0 });
    for (LinuxEventSource *source : m_sources)
        m_pollFds.push_back(pollfd{ source->fileDescriptor(), POLLIN, 0 });
    for (const auto &[fd, timer] : m_timers)
        m_pollFds.push_back(pollfd{ fd, POLLIN, 0 });

    const int ready = ::poll(m_pollFds.data(), m_pollFds.size(), timeout < 0 ? -1 : timeout);
    // Timed out, or interrupted by a signal: either way the wait is over.
    if (ready <= 0)
        return;

    if (m_wakeUpFd >= 0 && (m_pollFds.front().revents & POLLIN)) {
        drainWakeUp();
        return;
    }
    dispatchOnePendingEvent();
}

void LinuxPlatformEventLoop::wakeUp()
{
    if (m_wakeUpFd < 0)
        return;
    if (m_wakeUpSignalled.exchange(true, std::memory_order_acq_rel))
        return;
    const uint64_t one = 1;
    ssize_t written;
    do {
        written = ::write(m_wakeUpFd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
    // EAGAIN means the counter is saturated: the loop is already signalled.
    if (written < 0 && errno != EAGAIN) {
        m_wakeUpSignalled.store(false, std::memory_order_release);
        spdlog::critical("Failed to signal wake up event");
    }
}

std::unique_ptr<AbstractPlatformTimer> LinuxPlatformEventLoop::createPlatformTimer(Timer *timer)
{
    return std::make_unique<LinuxPlatformTimer>(timer, this);
}

void LinuxPlatformEventLoop::addEventSource(LinuxEventSource *source)
{
    if (source && std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void LinuxPlatformEventLoop::removeEventSource(LinuxEventSource *source)
{
    std::erase(m_sources, source);
}

void LinuxPlatformEventLoop::registerTimer(int timerFd, LinuxPlatformTimer *timer)
{
    m_timers[timerFd] = timer;
}

void LinuxPlatformEventLoop::unregisterTimer(int timerFd)
{
    m_timers.erase(timerFd);
}

bool LinuxPlatformEventLoop::dispatchOnePendingEvent()
{
    // Timers and sources alternate in going first, so a flood from one cannot starve the other.
    const bool timersFirst = m_timersFirst;
    m_timersFirst = !m_timersFirst;
    if (timersFirst)
        return dispatchOneTimer() || dispatchOneSourceEvent();
    return dispatchOneSourceEvent() || dispatchOneTimer();
}

bool LinuxPlatformEventLoop::dispatchOneTimer()
{
    if (m_timers.empty())
        return false;

    std::vector<pollfd> fds;
    fds.reserve(m_timers.size());
    for (const auto &[fd, timer] : m_timers)
        fds.push_back(pollfd{ fd, POLLIN, 0 });
    if (::poll(fds.data(), fds.size(), 0) <= 0)
        return false;

    // Start the search at a rotating slot so that every expired timer gets its turn.
    const std::size_t count = fds.size();
    const std::size_t start = m_nextTimerSlot % count;
    for (std::size_t n = 0; n < count; ++n) {
        const pollfd &candidate = fds[(start + n) % count];
        if (!(candidate.revents & POLLIN))
            continue;
        uint64_t expirations = 0;
        if (::read(candidate.fd, &expirations, sizeof expirations) != sizeof expirations)
            continue;
        m_nextTimerSlot = start + n + 1;
        const auto it = m_timers.find(candidate.fd);
        if (it == m_timers.end())
            continue;
        // Several missed periods are reported as one timeout, like a coalesced timer message. The
        // handler may stop or destroy timers: nothing of the map is used after this call.
        it->second->timer()->timeout.emit();
        return true;
    }
    return false;
}

bool LinuxPlatformEventLoop::dispatchOneSourceEvent()
{
    for (LinuxEventSource *source : m_sources) {
        if (source->dispatchOneEvent())
            return true;
    }
    return false;
}

void LinuxPlatformEventLoop::drainWakeUp()
{
    uint64_t count = 0;
    while (::read(m_wakeUpFd, &count, sizeof count) < 0 && errno == EINTR) { }
    // Cleared only after the read: cleared before it, a wake-up written in between would be read here
    // and leave the flag set with nothing to read, and every later wakeUp() would be skipped. Cleared
    // after it, a wake-up arriving in between is skipped, but this wait is returning anyway and the next
    // processEvents() drains the queue before it waits.
    m_wakeUpSignalled.store(false, std::memory_order_release);
}

} // namespace TbFoundation
