#pragma once

#include <TbFoundation/event.h>

#include <memory>
#include <utility>

namespace TbFoundation {

class EventReceiver;

// An entry of the core application's posted-event queue: the receiver it is meant for and the event it
// owns. The target is not owned; the queue forgets entries whose target is destroyed.
class PostedEvent : public Event
{
public:
    PostedEvent(EventReceiver *target, std::unique_ptr<Event> event) noexcept
        : Event(Event::Post)
        , m_target(target)
        , m_event(std::move(event))
    {
    }

    EventReceiver *target() const noexcept { return m_target; }
    Event *event() const noexcept { return m_event.get(); }

private:
    EventReceiver *m_target;
    std::unique_ptr<Event> m_event;
};

} // namespace TbFoundation
