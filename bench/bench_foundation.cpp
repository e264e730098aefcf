// The foundation's event delivery against Qt's: posting a batch of events and draining the queue once, and
// sending one event through a number of event filters; and the cost of destroying a receiver that still
// has an event queued.
#include <TbFoundation/core_application.h>
#include <TbFoundation/object.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

const QEvent::Type qtUserType = QEvent::Type(QEvent::User + 1);

class CountingObject : public TbFoundation::Object
{
public:
    void userEvent(TbFoundation::Event *) override { ++count; }
    long count = 0;
};

class QtCountingObject : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == qtUserType) {
            ++count;
            return true;
        }
        return QObject::event(e);
    }
    long count = 0;
};

class PassingFilter : public TbFoundation::EventReceiver
{
public:
    void event(TbFoundation::EventReceiver *, TbFoundation::Event *e) override { benchmark::DoNotOptimize(e); }
};

class QtPassingFilter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *e) override
    {
        benchmark::DoNotOptimize(e);
        return false;
    }
};

void postAndDrainFoundation(benchmark::State &state)
{
    TbFoundation::CoreApplication app;
    CountingObject receiver;
    const auto batch = state.range(0);
    for (auto _ : state) {
        for (int64_t i = 0; i < batch; ++i)
            TbFoundation::CoreApplication::postEvent(&receiver,
                                                     std::make_unique<TbFoundation::Event>(TbFoundation::Event::User));
        app.processEvents(0);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    if (receiver.count != state.iterations() * batch)
        state.SkipWithError("events were lost");
}

void postAndDrainQt(benchmark::State &state)
{
    QtCountingObject receiver;
    const auto batch = state.range(0);
    for (auto _ : state) {
        for (int64_t i = 0; i < batch; ++i)
            QCoreApplication::postEvent(&receiver, new QEvent(qtUserType));
        QCoreApplication::sendPostedEvents();
    }
    state.SetItemsProcessed(state.iterations() * batch);
    if (receiver.count != state.iterations() * batch)
        state.SkipWithError("events were lost");
}

void sendThroughFiltersFoundation(benchmark::State &state)
{
    TbFoundation::CoreApplication app;
    CountingObject receiver;
    std::vector<PassingFilter> filters(static_cast<std::size_t>(state.range(0)));
    for (PassingFilter &filter : filters)
        app.installEventFilter(&filter);
    TbFoundation::Event e(TbFoundation::Event::User);
    for (auto _ : state)
        TbFoundation::CoreApplication::sendEvent(&receiver, &e);
    state.SetItemsProcessed(state.iterations());
}

void sendThroughFiltersQt(benchmark::State &state)
{
    QtCountingObject receiver;
    std::vector<std::unique_ptr<QtPassingFilter>> filters;
    for (int64_t i = 0; i < state.range(0); ++i) {
        filters.push_back(std::make_unique<QtPassingFilter>());
        QCoreApplication::instance()->installEventFilter(filters.back().get());
    }
    QEvent e(qtUserType);
    for (auto _ : state)
        QCoreApplication::sendEvent(&receiver, &e);
    state.SetItemsProcessed(state.iterations());
}

// The price of the rule that a destroyed receiver is never delivered to: its queued event is found and
// dropped while other receivers' events stay queued. The subject destroys an object without queued events.
void destroyObject(benchmark::State &state)
{
    TbFoundation::CoreApplication app;
    for (auto _ : state)
        std::make_unique<CountingObject>().reset();
    state.SetItemsProcessed(state.iterations());
}

void destroyObjectWithQueuedEvent(benchmark::State &state)
{
    TbFoundation::CoreApplication app;
    CountingObject bystander;
    for (int64_t i = 0; i < state.range(0); ++i)
        TbFoundation::CoreApplication::postEvent(&bystander,
                                                 std::make_unique<TbFoundation::Event>(TbFoundation::Event::User));
    for (auto _ : state) {
        auto receiver = std::make_unique<CountingObject>();
        TbFoundation::CoreApplication::postEvent(receiver.get(),
                                                 std::make_unique<TbFoundation::Event>(TbFoundation::Event::User));
        receiver.reset();
    }
    state.SetItemsProcessed(state.iterations());
    if (app.postedEventCount() != std::size_t(state.range(0)))
        state.SkipWithError("the queue kept events of destroyed receivers");
}

} // namespace

BENCHMARK(postAndDrainFoundation)->Name("post_and_drain/foundation")->Arg(1)->Arg(64);
BENCHMARK(postAndDrainQt)->Name("post_and_drain/qt")->Arg(1)->Arg(64);
BENCHMARK(sendThroughFiltersFoundation)->Name("send_through_filters/foundation")->Arg(0)->Arg(4);
BENCHMARK(sendThroughFiltersQt)->Name("send_through_filters/qt")->Arg(0)->Arg(4);
BENCHMARK(destroyObject)->Name("destroy_object/no_queued_event");
BENCHMARK(destroyObjectWithQueuedEvent)->Name("destroy_object/own_event_queued_behind_n_others")->Arg(0)->Arg(64);

int main(int argc, char **argv)
{
    QCoreApplication qtApp(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
