#pragma once

#include <QEvent>

#include <functional>

class QObject;

namespace ovi {

// The Qt event that pumps the engine: exactly one is queued for the application at any time, and each
// delivery drains the foundation's posted-event queue once and queues the next.
class OrvaneUpdateEvent : public QEvent
{
public:
    OrvaneUpdateEvent();
    ~OrvaneUpdateEvent() override;

    // The custom Qt event type, registered once before main runs.
    static QEvent::Type registeredType();
};

// Queues one OrvaneUpdateEvent for `receiver` at normal priority.
void postOrvaneUpdate(QObject &receiver);

// The frame pump's step. When `event` is an OrvaneUpdateEvent: drains the foundation queue once and queues
// the next OrvaneUpdateEvent for `receiver`, and returns true. Any other event, including other custom
// types, is left alone and false is returned.
bool pumpOrvaneUpdate(QObject &receiver, const QEvent &event, const std::function<void()> &drainFoundationQueue);

} // namespace ovi
