// One spatial-aspect frame on a balanced tree of transforms, after changing one leaf and after changing
// every transform. Only the frame itself is timed (manual time); making the changes is not.
//
// ns_per_transform is the frame time divided by the number of changed transforms.
#include <Orvane/core/AspectEngine.h>
#include <Orvane/core/Entity.h>
#include <Orvane/spatial/SpatialAspect.h>
#include <Orvane/spatial/SrtTransform.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <utility>
#include <cstddef>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t BranchingFactor = 4;

// A complete tree in breadth-first order: entity i has the children BranchingFactor * i + 1 and up. Every
// entity has an SrtTransform.
struct Scene {
    explicit Scene(std::size_t entityCount)
    {
        spatial = engine.addAspect(std::make_unique<Orvane::SpatialAspect>());
        auto root = std::make_unique<Orvane::Entity>();
        entities.reserve(entityCount);
        transforms.reserve(entityCount);
        add(root.get());
        for (std::size_t i = 1; i < entityCount; ++i)
            add(entities[(i - 1) / BranchingFactor]->addChildEntity(std::make_unique<Orvane::Entity>()));
        engine.setRootEntity(std::move(root));
        engine.processFrame();
    }

    void add(Orvane::Entity *entity)
    {
        auto *transform = entity->createComponent<Orvane::SrtTransform>();
        transform->translation = glm::vec3(1.0f, 0.5f, 0.25f);
        transform->rotation = glm::angleAxis(0.1f, glm::vec3(0.0f, 0.0f, 1.0f));
        entities.push_back(entity);
        transforms.push_back(transform);
    }

    // Seconds one spatial frame takes, on the wall clock and in CPU time of this thread (the machine may be
    // shared: CPU time leaves out the time other processes hold the core).
    std::pair<double, double> timedFrame()
    {
        const double cpuStart = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        spatial->processFrame();
        const auto end = std::chrono::steady_clock::now();
        const double cpuEnd = threadCpuSeconds();
        return { std::chrono::duration<double>(end - start).count(), cpuEnd - cpuStart };
    }

    static double threadCpuSeconds()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
    }

    Orvane::AspectEngine engine;
    Orvane::SpatialAspect *spatial = nullptr;
    std::vector<Orvane::Entity *> entities;
    std::vector<Orvane::SrtTransform *> transforms;
};

void report(benchmark::State &state, double wallSeconds, double cpuSeconds, std::size_t changedPerFrame)
{
    const double frames = double(state.iterations());
    state.counters["changed_transforms"] = double(changedPerFrame);
    state.counters["ns_per_transform"] = wallSeconds * 1e9 / (frames * double(changedPerFrame));
    state.counters["cpu_ns_per_transform"] = cpuSeconds * 1e9 / (frames * double(changedPerFrame));
}

void SpatialOneLeaf(benchmark::State &state)
{
    Scene scene(std::size_t(state.range(0)));
    Orvane::SrtTransform *leaf = scene.transforms.back();
    double total = 0.0;
    double totalCpu = 0.0;
    float offset = 0.0f;
    for (auto _ : state) {
        offset = offset == 0.0f ? 1.0f : 0.0f;
        leaf->translation = glm::vec3(offset, 0.0f, 0.0f);
        const auto [wall, cpu] = scene.timedFrame();
        state.SetIterationTime(wall);
        total += wall;
        totalCpu += cpu;
    }
    report(state, total, totalCpu, 1);
}

void SpatialEveryTransform(benchmark::State &state)
{
    Scene scene(std::size_t(state.range(0)));
    double total = 0.0;
    double totalCpu = 0.0;
    float offset = 0.0f;
    for (auto _ : state) {
        offset = offset == 0.0f ? 1.0f : 0.0f;
        for (Orvane::SrtTransform *transform : scene.transforms)
            transform->translation = glm::vec3(offset, 0.5f, 0.25f);
        const auto [wall, cpu] = scene.timedFrame();
        state.SetIterationTime(wall);
        total += wall;
        totalCpu += cpu;
    }
    report(state, total, totalCpu, scene.transforms.size());
}

} // namespace

BENCHMARK(SpatialOneLeaf)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kNanosecond);
BENCHMARK(SpatialEveryTransform)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
