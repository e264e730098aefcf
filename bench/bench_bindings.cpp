// One emit to 1 and 10 slots, connect+disconnect, and one source change propagated through a three-input
// binding to a matrix, each against its peers in the same run:
//   TbBindings::Signal        the subject
//   boost::signals2::signal   a widely used thread-safe signal library
//   Qt signal                 a QObject signal with a direct connection
//   std::vector<std::function> a plain loop over callables: the floor any signal pays at least
// Benchmark names are "<group>/<implementation>"; scripts/bench prints each group's ratios to the first entry.
#include <TbBindings/create_binding.h>
#include <TbBindings/property.h>
#include <TbBindings/signal.h>

#include <benchmark/benchmark.h>
#include <boost/signals2/signal.hpp>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/transform.hpp>

#include <QObject>
#include <QProperty>

#include <functional>
#include <string>
#include <vector>

class QtEmitter : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void fired(int value);
};

namespace {

int sink = 0;
void consume(int value)
{
    benchmark::DoNotOptimize(sink += value);
}

struct TbSignal {
    TbBindings::Signal<int> signal;
    void connect()
    {
        signal.connect([](int v) { consume(v); });
    }
    void emit(int v) { signal.emit(v); }
    void connectDisconnect()
    {
        TbBindings::ConnectionHandle handle = signal.connect([](int v) { consume(v); });
        handle.disconnect();
    }
};

struct BoostSignal {
    boost::signals2::signal<void(int)> signal;
    void connect()
    {
        signal.connect([](int v) { consume(v); });
    }
    void emit(int v) { signal(v); }
    void connectDisconnect()
    {
        signal.connect([](int v) { consume(v); }).disconnect();
    }
};

struct QtSignal {
    QtEmitter emitter;
    QObject context;
    void connect()
    {
        QObject::connect(
                &emitter, &QtEmitter::fired, &context, [](int v) { consume(v); }, Qt::DirectConnection);
    }
    void emit(int v) { emitter.fired(v); }
    void connectDisconnect()
    {
        auto connection = QObject::connect(
                &emitter, &QtEmitter::fired, &context, [](int v) { consume(v); }, Qt::DirectConnection);
        QObject::disconnect(connection);
    }
};

struct FunctionVector {
    std::vector<std::function<void(int)>> callables;
    void connect()
    {
        callables.emplace_back([](int v) { consume(v); });
    }
    void emit(int v)
    {
        for (auto &callable : callables)
            callable(v);
    }
    void connectDisconnect()
    {
        callables.emplace_back([](int v) { consume(v); });
        callables.pop_back();
    }
};

template<typename Impl>
void emitTo(benchmark::State &state)
{
    Impl impl;
    for (int64_t i = 0; i < state.range(0); ++i)
        impl.connect();
    int value = 0;
    for (auto _ : state)
        impl.emit(++value);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

template<typename Impl>
void connectDisconnect(benchmark::State &state)
{
    Impl impl;
    impl.connect(); // a signal that already has a connection, as in real use
    for (auto _ : state)
        impl.connectDisconnect();
}

glm::mat4 composeTrs(const glm::vec3 &translation, const glm::quat &rotation, const glm::vec3 &scale)
{
    return glm::translate(translation) * glm::mat4_cast(rotation) * glm::scale(scale);
}

const glm::quat someRotation = glm::angleAxis(0.3f, glm::normalize(glm::vec3(1.0f, 2.0f, 3.0f)));

void bindingTbBindings(benchmark::State &state)
{
    TbBindings::Property<glm::vec3> translation(glm::vec3(0.0f));
    TbBindings::Property<glm::quat> rotation(someRotation);
    TbBindings::Property<glm::vec3> scale(glm::vec3(2.0f));
    TbBindings::Property<glm::mat4> matrix(TbBindings::createBinding(composeTrs, translation, rotation, scale));
    float x = 0.0f;
    for (auto _ : state) {
        translation = glm::vec3(x += 1.0f, 0.0f, 0.0f);
        benchmark::DoNotOptimize(matrix.get()[3][0]);
    }
}

void bindingQProperty(benchmark::State &state)
{
    QProperty<glm::vec3> translation(glm::vec3(0.0f));
    QProperty<glm::quat> rotation(someRotation);
    QProperty<glm::vec3> scale(glm::vec3(2.0f));
    QProperty<glm::mat4> matrix;
    matrix.setBinding([&] { return composeTrs(translation.value(), rotation.value(), scale.value()); });
    float x = 0.0f;
    for (auto _ : state) {
        translation = glm::vec3(x += 1.0f, 0.0f, 0.0f);
        benchmark::DoNotOptimize(matrix.value()[3][0]);
    }
}

// The same source change with the matrix recomputed by hand: what the computation itself costs.
void bindingByHand(benchmark::State &state)
{
    glm::vec3 translation(0.0f);
    glm::vec3 scale(2.0f);
    glm::mat4 matrix(1.0f);
    float x = 0.0f;
    for (auto _ : state) {
        translation = glm::vec3(x += 1.0f, 0.0f, 0.0f);
        benchmark::DoNotOptimize(translation);
        matrix = composeTrs(translation, someRotation, scale);
        benchmark::DoNotOptimize(matrix[3][0]);
    }
}

void registerAll()
{
    for (int slotCount : { 1, 10 }) {
        const std::string group = "emit " + std::to_string(slotCount) + " slot" + (slotCount == 1 ? "" : "s") + "/";
        benchmark::RegisterBenchmark((group + "TbBindings").c_str(), emitTo<TbSignal>)->Arg(slotCount);
        benchmark::RegisterBenchmark((group + "std::function loop").c_str(), emitTo<FunctionVector>)->Arg(slotCount);
        benchmark::RegisterBenchmark((group + "boost::signals2").c_str(), emitTo<BoostSignal>)->Arg(slotCount);
        benchmark::RegisterBenchmark((group + "Qt signal").c_str(), emitTo<QtSignal>)->Arg(slotCount);
    }
    benchmark::RegisterBenchmark("connect+disconnect/TbBindings", connectDisconnect<TbSignal>);
    benchmark::RegisterBenchmark("connect+disconnect/std::function loop", connectDisconnect<FunctionVector>);
    benchmark::RegisterBenchmark("connect+disconnect/boost::signals2", connectDisconnect<BoostSignal>);
    benchmark::RegisterBenchmark("connect+disconnect/Qt signal", connectDisconnect<QtSignal>);
    benchmark::RegisterBenchmark("binding update (T*R*S)/TbBindings", bindingTbBindings);
    benchmark::RegisterBenchmark("binding update (T*R*S)/QProperty", bindingQProperty);
    benchmark::RegisterBenchmark("binding update (T*R*S)/recomputed by hand", bindingByHand);
}

} // namespace

int main(int argc, char **argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "bench_bindings.moc"
