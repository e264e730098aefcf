#pragma once

#include <TbFoundation/abstract_platform_event_loop.h>

#include <poll.h>

#include <atomic>
#include <cstddef>
#include <unordered_map>
#include <vector>

namespace TbFoundation {

class LinuxEventSource;
class LinuxPlatformTimer;

// The Linux event loop: poll() on an eventfd that wakeUp() signals, on one timerfd per armed timer and on
// the descriptors of the registered event sources. Each waitForEvents() handles at most one timer
// expiry or source event; timers and sources take turns so that neither can starve the other.
class LinuxPlatformEventLoop : public AbstractPlatformEventLoop
{
public:
    LinuxPlatformEventLoop();
    ~LinuxPlatformEventLoop() override;

    void waitForEvents(int timeout) override;
    void wakeUp() override;
    std::unique_ptr<AbstractPlatformTimer> createPlatformTimer(Timer *timer) override;

    // Sources are not owned; remove one before destroying it.
    void addEventSource(LinuxEventSource *source);
    void removeEventSource(LinuxEventSource *source);

    // False when the eventfd could not be created: waits then run to their timeout.
    bool hasWakeUpDescriptor() const noexcept { return m_wakeUpFd >= 0; }
    std::size_t armedTimerCount() const noexcept { return m_timers.size(); }

    // Used by the timers: an armed timer's descriptor is watched by the loop.
    void registerTimer(int timerFd, LinuxPlatformTimer *timer);
    void unregisterTimer(int timerFd);

private:
    bool dispatchOnePendingEvent();
    bool dispatchOneTimer();
    bool dispatchOneSourceEvent();
    void drainWakeUp();

    std::unordered_map<int, LinuxPlatformTimer *> m_timers;
    std::vector<LinuxEventSource *> m_sources;
    std::vector<pollfd> m_pollFds;
    int m_wakeUpFd = -1;
    // Set while the eventfd holds an unconsumed wake-up, so that a burst of posts writes to it only once.
    std::atomic<bool> m_wakeUpSignalled{ false };
    bool m_timersFirst = false;
    std::size_t m_nextTimerSlot = 0;
};

} // namespace TbFoundation
