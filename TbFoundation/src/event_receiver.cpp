#include <TbFoundation/event_receiver.h>

#include <TbFoundation/core_application.h>

namespace TbFoundation {

EventReceiver::~EventReceiver()
{
    // The core application forgets this receiver so that nothing is ever delivered to it once destroyed.
    // (The core application itself clears the instance pointer before it gets here.)
    if (CoreApplication *app = CoreApplication::instance()) {
        app->removePostedEvents(this);
        if (EventDispatcher *dispatcher = app->eventDispatcher())
            dispatcher->forgetReceiver(this);
    }
}

void EventReceiver::event(EventReceiver *, Event *)
{
}

} // namespace TbFoundation
