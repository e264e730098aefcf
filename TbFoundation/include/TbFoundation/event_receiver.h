#pragma once

namespace TbFoundation {

class Event;

// Anything that can be given events. The target is passed explicitly so that a receiver installed as an
// event filter can tell events meant for others from events meant for itself.
//
// A destroyed receiver is never delivered to: its destructor drops the events still queued for it, ends
// an event's delivery to it that is under way and removes it from the core application's event filters.
class EventReceiver
{
public:
    EventReceiver() = default;
    virtual ~EventReceiver();

    EventReceiver(const EventReceiver &) = delete;
    EventReceiver &operator=(const EventReceiver &) = delete;

    virtual void event(EventReceiver *target, Event *e);
};

} // namespace TbFoundation
