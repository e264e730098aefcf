#include <Orvane/core/task_executor.h>

#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>
#include <tbb/task_scheduler_observer.h>

#include <algorithm>
#include <thread>

namespace Orvane {

namespace {

// How deeply the current thread is inside the executor's arena. The arena reports slot indices for
// any arena a thread is in, so membership of ours is counted separately.
thread_local int t_arenaDepth = 0;

class ArenaMembership final : public tbb::task_scheduler_observer
{
public:
    explicit ArenaMembership(tbb::task_arena &arena)
        : tbb::task_scheduler_observer(arena)
    {
        observe(true);
    }
    ~ArenaMembership() override { observe(false); }

    void on_scheduler_entry(bool) override { ++t_arenaDepth; }
    void on_scheduler_exit(bool) override { --t_arenaDepth; }
};

std::size_t hardwareSlots()
{
    return std::max<std::size_t>(1, std::thread::hardware_concurrency());
}

} // namespace

struct TaskExecutor::Impl {
    Impl()
        : arena(int(hardwareSlots()))
    {
        arena.initialize();
    }

    tbb::task_arena arena;
    ArenaMembership membership{ arena };
};

TaskExecutor::TaskExecutor()
    : m_impl(std::make_unique<Impl>())
{
}

TaskExecutor::~TaskExecutor() = default;

TaskExecutor &TaskExecutor::instance()
{
    static TaskExecutor executor;
    return executor;
}

std::size_t TaskExecutor::workerCount() const noexcept
{
    return std::size_t(m_impl->arena.max_concurrency());
}

std::size_t TaskExecutor::currentWorkerIndex() noexcept
{
    if (t_arenaDepth <= 0)
        return 0;
    const int index = tbb::this_task_arena::current_thread_index();
    return index < 0 ? 0 : std::size_t(index);
}

void TaskExecutor::execute(const std::function<void()> &task)
{
    m_impl->arena.execute([&task] { task(); });
}

void TaskExecutor::parallelFor(std::size_t begin, std::size_t end, const std::function<void(std::size_t)> &body)
{
    if (begin >= end)
        return;
    m_impl->arena.execute([&] { tbb::parallel_for(begin, end, [&body](std::size_t i) { body(i); }); });
}

} // namespace Orvane
