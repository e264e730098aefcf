#include <TbFoundation/event_dispatcher.h>

#include <TbFoundation/event.h>
#include <TbFoundation/event_receiver.h>

#include <algorithm>

namespace TbFoundation {

void EventDispatcher::installEventFilter(EventReceiver *filter)
{
    if (!filter || hasEventFilter(filter))
        return;
    m_filters.push_back(filter);
}

void EventDispatcher::removeEventFilter(EventReceiver *filter)
{
    const auto it = std::find(m_filters.begin(), m_filters.end(), filter);
    if (it == m_filters.end() || !filter)
        return;
    if (!m_deliveries.empty()) {
        // A delivery is walking the list by index: blank the entry instead of shifting the others.
        *it = nullptr;
        m_needsSweep = true;
    } else {
        m_filters.erase(it);
    }
}

bool EventDispatcher::hasEventFilter(const EventReceiver *filter) const noexcept
{
    return filter && std::find(m_filters.begin(), m_filters.end(), filter) != m_filters.end();
}

std::size_t EventDispatcher::eventFilterCount() const noexcept
{
    return static_cast<std::size_t>(std::count_if(m_filters.begin(), m_filters.end(),
                                                  [](const EventReceiver *filter) { return filter != nullptr; }));
}

void EventDispatcher::deliver(EventReceiver *target, Event *e)
{
    if (!e)
        return;

    Delivery delivery{ target };
    struct DeliveryScope {
        EventDispatcher &dispatcher;
        DeliveryScope(EventDispatcher &d, Delivery &delivery)
            : dispatcher(d)
        {
            dispatcher.m_deliveries.push_back(&delivery);
        }
        ~DeliveryScope()
        {
            dispatcher.m_deliveries.pop_back();
            if (dispatcher.m_deliveries.empty() && dispatcher.m_needsSweep) {
                std::erase(dispatcher.m_filters, nullptr);
                dispatcher.m_needsSweep = false;
            }
        }
    } scope(*this, delivery);

    // Filters installed while this event is under way are not offered it.
    const std::size_t filterCount = m_filters.size();
    for (std::size_t i = 0; i < filterCount; ++i) {
        EventReceiver *filter = m_filters[i];
        if (!filter)
            continue;
        filter->event(delivery.target, e);
        if (e->isAccepted() || delivery.targetDestroyed)
            return;
    }
    if (delivery.target)
        delivery.target->event(delivery.target, e);
}

void EventDispatcher::forgetReceiver(EventReceiver *receiver)
{
    if (!receiver)
        return;
    for (Delivery *delivery : m_deliveries) {
        if (delivery->target == receiver) {
            delivery->target = nullptr;
            delivery->targetDestroyed = true;
        }
    }
    removeEventFilter(receiver);
}

} // namespace TbFoundation
