#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace Orvane {

// The process-wide pool of worker threads, one slot per hardware thread. It is created on first use and
// lives until the process exits. Work handed to it runs on its workers; the calling thread joins in while
// it waits, taking one of the slots itself.
class TaskExecutor
{
public:
    static TaskExecutor &instance();

    TaskExecutor(const TaskExecutor &) = delete;
    TaskExecutor &operator=(const TaskExecutor &) = delete;

    // The number of slots: one per hardware thread, at least one.
    std::size_t workerCount() const noexcept;

    // The slot of the calling thread while it runs work of this executor (0 .. workerCount() - 1), and 0
    // for every other thread. Per-thread registries are indexed by it.
    static std::size_t currentWorkerIndex() noexcept;

    // Runs `task` inside the executor and returns once it has finished; its exception, if any, comes back.
    void execute(const std::function<void()> &task);

    // Runs body(i) for every i in [begin, end), spread over the workers, and waits for all of them.
    void parallelFor(std::size_t begin, std::size_t end, const std::function<void(std::size_t)> &body);

private:
    TaskExecutor();
    ~TaskExecutor();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Orvane
