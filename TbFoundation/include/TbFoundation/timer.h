#pragma once

#include <TbBindings/property.h>
#include <TbBindings/signal.h>

#include <chrono>
#include <memory>

namespace TbFoundation {

class AbstractPlatformTimer;

// A repeating timer served by the core application's platform event loop: while `running` is true it
// emits timeout() every `interval`, from the thread that runs the loop. Changing `interval` while running
// restarts the period. Without a core application the timer never fires.
class Timer
{
public:
    explicit Timer(std::chrono::microseconds interval = std::chrono::microseconds(0));
    ~Timer();

    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    void start() { running = true; }
    void stop() { running = false; }

    // The operating-system side; null without a core application.
    AbstractPlatformTimer *platformTimer() const noexcept { return m_platformTimer.get(); }

    TbBindings::Signal<> timeout;
    TbBindings::Property<bool> running;
    TbBindings::Property<std::chrono::microseconds> interval;

private:
    // Declared last so that it disconnects from the properties before they go.
    std::unique_ptr<AbstractPlatformTimer> m_platformTimer;
};

} // namespace TbFoundation
