#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace TbBindings {

// Keeps the evaluation routines of the bindings registered with it, by id. Copies share one record, so
// a binding holding a copy is registered with the original. Ids start at 1 and are never reused.
class BindingEvaluator
{
public:
    template<typename BindingT>
    int32_t insert(BindingT &binding)
    {
        std::lock_guard lock(m_record->mutex);
        const int32_t id = ++m_record->lastId;
        m_record->routines.emplace(id, [&binding] { binding.evaluate(); });
        return id;
    }

    void remove(int32_t id)
    {
        std::lock_guard lock(m_record->mutex);
        m_record->routines.erase(id);
    }

    // Runs every registered binding in ascending id order. A routine may register or remove bindings.
    void evaluateAll()
    {
        int32_t next = 0;
        for (;;) {
            std::function<void()> routine;
            {
                std::lock_guard lock(m_record->mutex);
                const auto it = m_record->routines.upper_bound(next);
                if (it == m_record->routines.end())
                    return;
                next = it->first;
                routine = it->second;
            }
            routine();
        }
    }

private:
    struct Record {
        // Bindings may be made on worker threads; the registry is the one piece they share.
        std::mutex mutex;
        std::map<int32_t, std::function<void()>> routines;
        int32_t lastId = 0;
    };
    std::shared_ptr<Record> m_record = std::make_shared<Record>();
};

// Bindings registered here evaluate as soon as one of their inputs changes. instance() hands out copies of
// one process-wide evaluator.
class ImmediateBindingEvaluator : public BindingEvaluator
{
public:
    static ImmediateBindingEvaluator instance()
    {
        static const ImmediateBindingEvaluator processWide;
        return processWide;
    }
};

} // namespace TbBindings
