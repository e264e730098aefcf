#include <TbFoundation/event.h>
#include <TbFoundation/posted_event.h>
#include <TbFoundation/resize_event.h>
#include <TbFoundation/update_event.h>

#include <gtest/gtest.h>

#include <memory>

using namespace TbFoundation;

TEST(Event, NumericTypes)
{
    struct Case {
        Event::Type type;
        uint16_t value;
    };
    const Case cases[] = {
        { Event::Timer, 1 },      { Event::Post, 2 },         { Event::Quit, 4 },       { Event::Resize, 5 },
        { Event::MousePress, 6 }, { Event::MouseRelease, 7 }, { Event::MouseMove, 9 },  { Event::MouseWheel, 10 },
        { Event::KeyPress, 11 },  { Event::KeyRelease, 12 },  { Event::TextInput, 13 }, { Event::Update, 14 },
        { Event::User, 4096 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(static_cast<uint16_t>(c.type), c.value);
}

TEST(Event, StartsUnacceptedAndTogglesOnlyTheAcceptedBit)
{
    Event e(4100);
    EXPECT_EQ(e.type(), 4100);
    EXPECT_EQ(e.flags(), 0);
    EXPECT_FALSE(e.isAccepted());
    e.accept();
    EXPECT_TRUE(e.isAccepted());
    EXPECT_EQ(e.flags(), Event::AcceptedFlag);
    e.ignore();
    EXPECT_FALSE(e.isAccepted());
    EXPECT_EQ(e.flags(), 0);
}

TEST(Event, ConcreteEventsCarryTheirTypeAndData)
{
    EXPECT_EQ(UpdateEvent().type(), Event::Update);

    const ResizeEvent resize(640, -1);
    EXPECT_EQ(resize.type(), Event::Resize);
    EXPECT_EQ(resize.width(), 640);
    EXPECT_EQ(resize.height(), -1);
}

namespace {

struct CountedEvent : Event {
    explicit CountedEvent(int &destroyed)
        : Event(Event::User)
        , destroyed(destroyed)
    {
    }
    ~CountedEvent() override { ++destroyed; }
    int &destroyed;
};

} // namespace

TEST(Event, PostedEventOwnsTheEventItCarries)
{
    int destroyed = 0;
    {
        auto carried = std::make_unique<CountedEvent>(destroyed);
        Event *raw = carried.get();
        const PostedEvent posted(nullptr, std::move(carried));
        EXPECT_EQ(posted.type(), Event::Post);
        EXPECT_EQ(posted.event(), raw);
        EXPECT_EQ(posted.target(), nullptr);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}
