#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/core/layer_manager.h>

#include <TbFoundation/core_application.h>
#include <TbFoundation/update_event.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Orvane;
using TbFoundation::CoreApplication;

namespace {

using Log = std::vector<std::string>;

// An aspect that writes every call it gets into a shared log.
class RecordingAspect : public Aspect
{
public:
    RecordingAspect(std::string name, Log &log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    ~RecordingAspect() override { record("destroyed"); }

    void onEngineStarting() override { record("starting"); }
    void onEngineStarted() override { record("started"); }
    void onEngineStopping() override { record("stopping"); }
    void onEngineStopped() override { record("stopped"); }
    void rootAboutToChange(Entity *oldRoot, Entity *newRoot) override
    {
        record("rootAboutToChange " + nameOf(oldRoot) + " -> " + nameOf(newRoot));
    }
    void rootChanged(Entity *oldRoot, Entity *newRoot) override
    {
        // The old root is only an identity here: it is not dereferenced.
        record(std::string("rootChanged ") + (oldRoot ? "old" : "none") + " -> " + nameOf(newRoot));
    }
    void processFrame() override { record("frame"); }

private:
    static std::string nameOf(Entity *entity) { return entity ? entity->objectName() : "none"; }
    void record(const std::string &what) { m_log.push_back(m_name + " " + what); }

    std::string m_name;
    Log &m_log;
};

std::unique_ptr<Entity> namedEntity(const std::string &name)
{
    auto entity = std::make_unique<Entity>();
    entity->setObjectName(name);
    return entity;
}

class AspectEngineTest : public ::testing::Test
{
protected:
    CoreApplication application;
    Log log;
};

} // namespace

TEST_F(AspectEngineTest, StartingRunsOneFrameAndQueuesOneUpdate)
{
    AspectEngine engine;
    engine.addAspect(std::make_unique<RecordingAspect>("a", log));
    engine.addAspect(std::make_unique<RecordingAspect>("b", log));
    engine.running = true;
    EXPECT_EQ(log, (Log{ "a starting", "b starting", "a frame", "b frame", "a started", "b started" }));
    EXPECT_EQ(engine.frameNumber(), 1u);
    EXPECT_EQ(application.postedEventCount(), 1u);
}

TEST_F(AspectEngineTest, EachDrainRunsOneFrameAndRequestsTheNext)
{
    AspectEngine engine;
    engine.addAspect(std::make_unique<RecordingAspect>("a", log));
    engine.running = true;
    for (int drain = 0; drain < 3; ++drain) {
        application.processEvents(0);
        EXPECT_EQ(application.postedEventCount(), 1u);
    }
    EXPECT_EQ(engine.frameNumber(), 4u);
}

TEST_F(AspectEngineTest, StoppingRunsALastFrameAndTheQueuedUpdateOneMore)
{
    AspectEngine engine;
    engine.addAspect(std::make_unique<RecordingAspect>("a", log));
    engine.running = true;
    log.clear();
    engine.running = false;
    EXPECT_EQ(log, (Log{ "a stopping", "a frame", "a stopped" }));
    EXPECT_EQ(application.postedEventCount(), 1u);

    log.clear();
    application.processEvents(0);
    EXPECT_EQ(log, (Log{ "a frame" }));
    EXPECT_EQ(application.postedEventCount(), 0u);
    application.processEvents(0);
    EXPECT_EQ(log, (Log{ "a frame" }));
}

TEST_F(AspectEngineTest, RestartingWhileAnUpdateIsQueuedKeepsASingleFrameChain)
{
    AspectEngine engine;
    engine.running = true;
    engine.running = false;
    engine.running = true;
    EXPECT_EQ(application.postedEventCount(), 1u);
    application.processEvents(0);
    EXPECT_EQ(application.postedEventCount(), 1u);
}

// Accepts every UpdateEvent while `active`, so that it never reaches the receivers after it.
struct UpdateSwallower : TbFoundation::EventReceiver {
    void event(TbFoundation::EventReceiver *, TbFoundation::Event *e) override
    {
        if (active && e->type() == TbFoundation::Event::Update)
            e->accept();
    }
    bool active = false;
};

TEST_F(AspectEngineTest, AFrameRequestLostOnItsWayIsMadeAgainOnTheNextStart)
{
    struct Case {
        const char *name;
        void (*lose)(CoreApplication &, AspectEngine &, UpdateSwallower &);
    };
    const Case cases[] = {
        { "removed from the queue",
          [](CoreApplication &app, AspectEngine &engine, UpdateSwallower &) { app.removePostedEvents(&engine); } },
        { "accepted by an earlier filter",
          [](CoreApplication &app, AspectEngine &, UpdateSwallower &swallower) {
              swallower.active = true;
              app.processEvents(0);
              swallower.active = false;
          } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UpdateSwallower swallower;
        application.installEventFilter(&swallower);
        AspectEngine engine;
        engine.running = true;
        c.lose(application, engine, swallower);
        ASSERT_EQ(application.postedEventCount(), 0u);

        engine.running = false;
        engine.running = true;
        EXPECT_EQ(application.postedEventCount(), 1u);
        application.processEvents(0);
        EXPECT_EQ(engine.frameNumber(), 2u);
        EXPECT_EQ(application.postedEventCount(), 1u);
    }
}

TEST_F(AspectEngineTest, UpdatesForOthersAndOtherEventsPassThrough)
{
    AspectEngine engine;
    engine.addAspect(std::make_unique<RecordingAspect>("a", log));
    TbFoundation::Object other;

    TbFoundation::UpdateEvent forOther;
    CoreApplication::sendEvent(&other, &forOther);
    EXPECT_FALSE(forOther.isAccepted());

    TbFoundation::Event user(TbFoundation::Event::User);
    CoreApplication::sendEvent(&engine, &user);
    EXPECT_FALSE(user.isAccepted());
    EXPECT_TRUE(log.empty());

    TbFoundation::UpdateEvent forEngine;
    CoreApplication::sendEvent(&engine, &forEngine);
    EXPECT_TRUE(forEngine.isAccepted());
    EXPECT_EQ(log, (Log{ "a frame" }));
    // Not running: no follow-up.
    EXPECT_EQ(application.postedEventCount(), 0u);
}

TEST_F(AspectEngineTest, FpsIsMeasuredOverWindowsOfMoreThanOneSecond)
{
    AspectEngine engine;
    int64_t now = 5'000'000'000;
    engine.setTimeSource([&now] { return now; });

    // The first window starts at time 0: the first frame gives a value near 0.
    engine.processFrame();
    EXPECT_NEAR(engine.fps.get(), 1000.0 / 5000.0, 1e-12);

    // 60 frames ending 1000.5 ms after the window opened.
    for (int frame = 1; frame <= 60; ++frame) {
        now = 5'000'000'000 + int64_t(frame) * 16'675'000;
        engine.processFrame();
        if (frame < 60) {
            EXPECT_NEAR(engine.fps.get(), 0.2, 1e-12) << "the window is still open at frame " << frame;
        }
    }
    EXPECT_NEAR(engine.fps.get(), 1000.0 / 1000.5 * 60.0, 1e-9);
    EXPECT_EQ(engine.currentFrameTime(), now);
    EXPECT_EQ(engine.previousFrameTime(), now - 16'675'000);

    // Exactly 1000 ms is not more than one second: the value stays.
    now += 1'000'000'000;
    engine.processFrame();
    EXPECT_NEAR(engine.fps.get(), 1000.0 / 1000.5 * 60.0, 1e-9);
}

TEST_F(AspectEngineTest, ReplacingTheRootNotifiesAspectsAroundTheOldTreesDestruction)
{
    AspectEngine engine;
    engine.addAspect(std::make_unique<RecordingAspect>("a", log));
    engine.addAspect(std::make_unique<RecordingAspect>("b", log));
    engine.rootEntityChanged.connect(
            [&](Entity *root) { log.push_back("rootEntityChanged " + (root ? root->objectName() : "none")); });

    engine.setRootEntity(namedEntity("first"));
    log.clear();
    engine.rootEntity()->destroyed.connect([&](Entity *) { log.push_back("first destroyed"); });
    engine.setRootEntity(namedEntity("second"));
    EXPECT_EQ(log,
              (Log{
                      "a rootAboutToChange first -> second",
                      "b rootAboutToChange first -> second",
                      "first destroyed",
                      "rootEntityChanged second",
                      "a rootChanged old -> second",
                      "b rootChanged old -> second",
              }));
    EXPECT_EQ(engine.rootEntity()->objectName(), "second");

    // Passing the current root changes nothing.
    log.clear();
    engine.setRootEntity(std::unique_ptr<Entity>(engine.rootEntity()));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(engine.rootEntity()->objectName(), "second");
}

TEST_F(AspectEngineTest, DestructionStopsThenDropsTheSceneThenTheAspectsInOrder)
{
    auto engine = std::make_unique<AspectEngine>();
    auto *aspect = engine->addAspect(std::make_unique<RecordingAspect>("a", log));
    EXPECT_EQ(aspect->engine(), engine.get());
    engine->addAspect(std::make_unique<RecordingAspect>("b", log));
    engine->setRootEntity(namedEntity("root"));
    engine->running = true;
    log.clear();
    engine->rootEntity()->destroyed.connect([&](Entity *) { log.push_back("root destroyed"); });

    engine.reset();
    EXPECT_EQ(log,
              (Log{
                      "a stopping",
                      "b stopping",
                      "a frame",
                      "b frame",
                      "a stopped",
                      "b stopped",
                      "a rootAboutToChange root -> none",
                      "b rootAboutToChange root -> none",
                      "root destroyed",
                      "a rootChanged old -> none",
                      "b rootChanged old -> none",
                      "a destroyed",
                      "b destroyed",
              }));
    // The frame request still queued for the destroyed engine is dropped, not delivered.
    EXPECT_EQ(application.postedEventCount(), 0u);
    application.processEvents(0);
    EXPECT_EQ(application.eventDispatcher()->eventFilterCount(), 0u);
}

TEST(AspectEngineWithoutApplication, RunsFramesButQueuesNothing)
{
    ASSERT_EQ(CoreApplication::instance(), nullptr);
    Log log;
    AspectEngine engine;
    engine.addAspect(std::make_unique<RecordingAspect>("a", log));
    engine.running = true;
    engine.running = false;
    EXPECT_EQ(log, (Log{ "a starting", "a frame", "a started", "a stopping", "a frame", "a stopped" }));
}

TEST(LayerManager, GivesEachNameTheNextBit)
{
    LayerManager layers;
    EXPECT_EQ(layers.layerMask("opaque"), 0u);
    EXPECT_EQ(layers.registerLayer("opaque"), 1u);
    EXPECT_EQ(layers.registerLayer("overlay"), 2u);
    EXPECT_EQ(layers.registerLayer("opaque"), 1u);
    EXPECT_EQ(layers.layerMask("overlay"), 2u);
    EXPECT_EQ(layers.layerNames(), (std::vector<std::string>{ "opaque", "overlay" }));

    for (int i = 2; i < 32; ++i)
        layers.registerLayer("layer" + std::to_string(i));
    EXPECT_EQ(layers.layerMask("layer31"), 0x80000000u);
    try {
        layers.registerLayer("one too many");
        FAIL() << "a 33rd layer must be refused";
    } catch (const std::length_error &error) {
        EXPECT_STREQ(error.what(), "Cannot register layer \"one too many\": all 32 layer bits are taken");
    }
}
