#pragma once

#include <TbFoundation/core_application.h>
#include <TbFoundation/event_receiver.h>
#include <TbFoundation/update_event.h>

#include <memory>

// Stands in for the aspect engine on the foundation queue: each Update it receives is one frame, and it asks
// for the next one while handling the current one.
class FrameCounter : public TbFoundation::EventReceiver
{
public:
    void event(TbFoundation::EventReceiver *target, TbFoundation::Event *e) override
    {
        if (target != this || e->type() != TbFoundation::Event::Update)
            return;
        ++frames;
        TbFoundation::CoreApplication::postEvent(this, std::make_unique<TbFoundation::UpdateEvent>());
    }

    int frames = 0;
};
