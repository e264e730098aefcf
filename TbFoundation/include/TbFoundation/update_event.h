#pragma once

#include <TbFoundation/event.h>

namespace TbFoundation {

// A request to run one more step of whoever receives it (the aspect engine's frame request).
class UpdateEvent : public Event
{
public:
    UpdateEvent() noexcept
        : Event(Event::Update)
    {
    }
};

} // namespace TbFoundation
