#include "orvane_update_event.h"

#include <QCoreApplication>

namespace ovi {

namespace {

// Registered during static initialisation, with no preferred value.
const int orvaneUpdateEventType = QEvent::registerEventType(-1);

} // namespace

OrvaneUpdateEvent::OrvaneUpdateEvent()
    : QEvent(registeredType())
{
}

OrvaneUpdateEvent::~OrvaneUpdateEvent() = default;

QEvent::Type OrvaneUpdateEvent::registeredType()
{
    return static_cast<QEvent::Type>(orvaneUpdateEventType);
}

void postOrvaneUpdate(QObject &receiver)
{
    QCoreApplication::postEvent(&receiver, new OrvaneUpdateEvent, Qt::NormalEventPriority);
}

bool pumpOrvaneUpdate(QObject &receiver, const QEvent &event, const std::function<void()> &drainFoundationQueue)
{
    if (event.type() != OrvaneUpdateEvent::registeredType())
        return false;
    // The drain delivers only what was queued when it started; the engine queues its next frame request
    // while handling the current one, so it advances by exactly one frame per pump.
    drainFoundationQueue();
    postOrvaneUpdate(receiver);
    return true;
}

} // namespace ovi
