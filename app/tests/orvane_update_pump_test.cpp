#include "frame_counter.h"
#include "orvane_update_event.h"

#include <TbFoundation/core_application.h>
#include <TbFoundation/update_event.h>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A Qt object whose event handler is the application's pump, draining a real foundation queue.
class PumpedObject : public QObject
{
public:
    explicit PumpedObject(TbFoundation::CoreApplication &foundation)
        : foundation(foundation)
    {
    }

    bool event(QEvent *e) override
    {
        if (e->type() == ovi::OrvaneUpdateEvent::registeredType())
            ++updates;
        if (ovi::pumpOrvaneUpdate(*this, *e, [this] {
                ++drains;
                foundation.processEvents(0);
            }))
            ++pumped;
        return QObject::event(e);
    }

    TbFoundation::CoreApplication &foundation;
    int updates = 0;
    int drains = 0;
    int pumped = 0;
};

class OrvaneUpdatePump : public ::testing::Test
{
protected:
    TbFoundation::CoreApplication foundation;
    PumpedObject pumped{ foundation };
};

TEST(OrvaneUpdateEvent, HasOneRegisteredCustomType)
{
    const QEvent::Type type = ovi::OrvaneUpdateEvent::registeredType();
    EXPECT_GE(int(type), int(QEvent::User));
    EXPECT_LE(int(type), int(QEvent::MaxUser));
    EXPECT_EQ(ovi::OrvaneUpdateEvent().type(), type);
    EXPECT_EQ(ovi::OrvaneUpdateEvent().type(), ovi::OrvaneUpdateEvent::registeredType());
    // Registration happened once, before main: a new registration gets another number.
    EXPECT_NE(QEvent::registerEventType(), int(type));
}

TEST_F(OrvaneUpdatePump, KeepsExactlyOneUpdatePendingAndAdvancesOneFramePerDelivery)
{
    FrameCounter engine;
    TbFoundation::CoreApplication::postEvent(&engine, std::make_unique<TbFoundation::UpdateEvent>());
    ovi::postOrvaneUpdate(pumped);

    for (int round = 1; round <= 10; ++round) {
        // One pass of Qt's posted events delivers only what was queued before it: with exactly one update
        // pending, each pass pumps once.
        QCoreApplication::sendPostedEvents(&pumped);
        EXPECT_EQ(pumped.updates, round);
        EXPECT_EQ(pumped.drains, round);
        EXPECT_EQ(engine.frames, round);
        EXPECT_EQ(foundation.postedEventCount(), 1u) << "the engine's next frame request waits for the next pump";
    }
}

TEST_F(OrvaneUpdatePump, OtherEventsNeverDrainTheFoundationQueue)
{
    FrameCounter engine;
    TbFoundation::CoreApplication::postEvent(&engine, std::make_unique<TbFoundation::UpdateEvent>());
    const auto otherCustomType = static_cast<QEvent::Type>(QEvent::registerEventType());
    for (QEvent::Type type : { QEvent::User, otherCustomType, QEvent::Timer, QEvent::MouseMove }) {
        QEvent other(type);
        QCoreApplication::sendEvent(&pumped, &other);
    }
    EXPECT_EQ(pumped.drains, 0);
    EXPECT_EQ(pumped.pumped, 0);
    EXPECT_EQ(engine.frames, 0);
    EXPECT_EQ(foundation.postedEventCount(), 1u);
    QCoreApplication::removePostedEvents(&pumped);
}

TEST_F(OrvaneUpdatePump, AFrameRequestOfADestroyedEngineIsDropped)
{
    auto engine = std::make_unique<FrameCounter>();
    TbFoundation::CoreApplication::postEvent(engine.get(), std::make_unique<TbFoundation::UpdateEvent>());
    ovi::postOrvaneUpdate(pumped);
    QCoreApplication::sendPostedEvents(&pumped);
    ASSERT_EQ(engine->frames, 1);
    engine.reset(); // the window closed while the next frame request waits
    QCoreApplication::sendPostedEvents(&pumped);
    EXPECT_EQ(pumped.drains, 2);
    EXPECT_EQ(foundation.postedEventCount(), 0u);
    QCoreApplication::removePostedEvents(&pumped);
}

} // namespace
