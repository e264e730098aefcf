#pragma once

namespace TbFoundation {

// A stream of operating-system events behind a file descriptor (a display connection, for example) that
// the Linux event loop waits on besides its own wake-up and timers.
class LinuxEventSource
{
public:
    virtual ~LinuxEventSource() = default;

    // The descriptor that becomes readable when new events arrive.
    virtual int fileDescriptor() const = 0;

    // Handles one event that has arrived (including events the source has already read and buffered),
    // without blocking. Returns false when there was none.
    virtual bool dispatchOneEvent() = 0;
};

} // namespace TbFoundation
