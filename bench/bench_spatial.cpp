// One spatial-aspect frame on a balanced tree of SrtTransforms, after changing one leaf and after changing
// every transform, for 1k, 10k and 100k entities. Only the frame is timed (manual time); making the
// changes is not. ns_per_transform is the frame's wall time divided by the number of changed transforms.
// The whole-tree frames also report cpu_ns_per_transform, from this thread's CPU time, which leaves out
// the time other processes hold the core on a shared machine (reading that clock costs about a
// microsecond, so the one-leaf frames do without it).
//
// The floor is the same product world[i] = world[parent] · local[i] over plain contiguous arrays.
#include <Orvane/core/aspect_engine.h>
#include <Orvane/core/entity.h>
#include <Orvane/spatial/spatial_aspect.h>
#include <Orvane/spatial/srt_transform.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t BranchingFactor = 4;

const glm::vec3 Translation(1.0f, 0.5f, 0.25f);
const glm::quat Rotation = glm::angleAxis(0.1f, glm::vec3(0.0f, 0.0f, 1.0f));

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A complete tree in breadth-first order: the parent of entity i is entity (i - 1) / BranchingFactor.
// Every entity has an SrtTransform. The first frame has run.
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
        transform->translation = Translation;
        transform->rotation = Rotation;
        entities.push_back(entity);
        transforms.push_back(transform);
    }

    Orvane::AspectEngine engine;
    Orvane::SpatialAspect *spatial = nullptr;
    std::vector<Orvane::Entity *> entities;
    std::vector<Orvane::SrtTransform *> transforms;
};

void SpatialOneLeaf(benchmark::State &state)
{
    Scene scene(std::size_t(state.range(0)));
    Orvane::SrtTransform *leaf = scene.transforms.back();
    double wall = 0.0;
    bool moved = false;
    for (auto _ : state) {
        moved = !moved;
        leaf->translation = moved ? Translation + glm::vec3(1.0f) : Translation;
        const double start = wallSeconds();
        scene.spatial->processFrame();
        const double seconds = wallSeconds() - start;
        state.SetIterationTime(seconds);
        wall += seconds;
    }
    state.counters["ns_per_transform"] = wall * 1e9 / double(state.iterations());
}

void SpatialEveryTransform(benchmark::State &state)
{
    Scene scene(std::size_t(state.range(0)));
    double wall = 0.0;
    double cpu = 0.0;
    bool moved = false;
    for (auto _ : state) {
        moved = !moved;
        const glm::vec3 translation = moved ? Translation + glm::vec3(1.0f) : Translation;
        for (Orvane::SrtTransform *transform : scene.transforms)
            transform->translation = translation;
        const double cpuStart = threadCpuSeconds();
        const double start = wallSeconds();
        scene.spatial->processFrame();
        const double seconds = wallSeconds() - start;
        cpu += threadCpuSeconds() - cpuStart;
        state.SetIterationTime(seconds);
        wall += seconds;
    }
    const double changed = double(state.iterations()) * double(scene.transforms.size());
    state.counters["ns_per_transform"] = wall * 1e9 / changed;
    state.counters["cpu_ns_per_transform"] = cpu * 1e9 / changed;
}

void SpatialFloorPlainArrays(benchmark::State &state)
{
    const std::size_t count = std::size_t(state.range(0));
    const std::vector<glm::mat4> local(count, Orvane::composeSrt(Translation, Rotation, glm::vec3(1.0f)));
    std::vector<glm::mat4> world(count, glm::mat4(1.0f));
    double wall = 0.0;
    for (auto _ : state) {
        const double start = wallSeconds();
        world[0] = local[0];
        for (std::size_t i = 1; i < count; ++i)
            world[i] = world[(i - 1) / BranchingFactor] * local[i];
        benchmark::DoNotOptimize(world.data());
        const double seconds = wallSeconds() - start;
        state.SetIterationTime(seconds);
        wall += seconds;
    }
    state.counters["ns_per_transform"] = wall * 1e9 / (double(state.iterations()) * double(count));
}

} // namespace

BENCHMARK(SpatialOneLeaf)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kNanosecond);
BENCHMARK(SpatialEveryTransform)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(SpatialFloorPlainArrays)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
