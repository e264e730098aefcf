#pragma once

#include <cstddef>
#include <vector>

namespace TbFoundation {

class Event;
class EventReceiver;

// Delivers events: every installed filter sees an event first, in installation order, and delivery stops
// at the first filter that marks it accepted; otherwise the target gets it.
//
// Filters may be installed or removed (also destroyed) while an event is being delivered: a filter removed
// during delivery is not called any more, one installed during delivery sees the next event. A target
// destroyed while its event is under way (by a filter, say) ends that delivery: nobody else is offered it.
class EventDispatcher
{
public:
    EventDispatcher() = default;
    EventDispatcher(const EventDispatcher &) = delete;
    EventDispatcher &operator=(const EventDispatcher &) = delete;

    // Installing a filter twice keeps its first place.
    void installEventFilter(EventReceiver *filter);
    void removeEventFilter(EventReceiver *filter);
    bool hasEventFilter(const EventReceiver *filter) const noexcept;
    std::size_t eventFilterCount() const noexcept;

    void deliver(EventReceiver *target, Event *e);

    // Called as `receiver` is destroyed: it stops being a filter, and the deliveries under way to it end.
    void forgetReceiver(EventReceiver *receiver);

private:
    // One per delivery under way; they nest when a receiver sends events while handling one.
    struct Delivery {
        EventReceiver *target;
        bool targetDestroyed = false;
    };

    // Removed filters become null while a delivery runs and are swept out when the outermost one ends.
    std::vector<EventReceiver *> m_filters;
    std::vector<Delivery *> m_deliveries;
    bool m_needsSweep = false;
};

} // namespace TbFoundation
