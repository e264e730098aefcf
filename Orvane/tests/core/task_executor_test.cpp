#include <Orvane/core/task_executor.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

using Orvane::TaskExecutor;

TEST(TaskExecutor, IsOneProcessWideExecutorWithASlotPerHardwareThread)
{
    TaskExecutor &executor = TaskExecutor::instance();
    EXPECT_EQ(&executor, &TaskExecutor::instance());
    EXPECT_EQ(executor.workerCount(), std::max<std::size_t>(1, std::thread::hardware_concurrency()));
}

TEST(TaskExecutor, ThreadsOutsideTheExecutorUseSlotZero)
{
    EXPECT_EQ(TaskExecutor::currentWorkerIndex(), 0u);
    std::size_t otherThreadIndex = 99;
    std::thread([&] { otherThreadIndex = TaskExecutor::currentWorkerIndex(); }).join();
    EXPECT_EQ(otherThreadIndex, 0u);
}

TEST(TaskExecutor, ExecuteRunsTheTaskInsideAndPassesItsExceptionBack)
{
    TaskExecutor &executor = TaskExecutor::instance();
    bool ran = false;
    std::size_t index = 99;
    executor.execute([&] {
        ran = true;
        index = TaskExecutor::currentWorkerIndex();
    });
    EXPECT_TRUE(ran);
    EXPECT_LT(index, executor.workerCount());
    EXPECT_THROW(executor.execute([] { throw std::runtime_error("task failed"); }), std::runtime_error);
    EXPECT_EQ(TaskExecutor::currentWorkerIndex(), 0u);
}

TEST(TaskExecutor, ParallelForVisitsEveryIndexOnceFromValidSlots)
{
    TaskExecutor &executor = TaskExecutor::instance();
    constexpr std::size_t count = 10000;
    std::vector<std::atomic<int>> visits(count);
    std::mutex lock;
    std::set<std::size_t> slots;
    executor.parallelFor(0, count, [&](std::size_t i) {
        visits[i].fetch_add(1);
        std::lock_guard guard(lock);
        slots.insert(TaskExecutor::currentWorkerIndex());
    });
    EXPECT_TRUE(std::all_of(visits.begin(), visits.end(), [](const std::atomic<int> &v) { return v.load() == 1; }));
    ASSERT_FALSE(slots.empty());
    EXPECT_LT(*slots.rbegin(), executor.workerCount());

    bool called = false;
    executor.parallelFor(5, 5, [&](std::size_t) { called = true; });
    EXPECT_FALSE(called);
}
