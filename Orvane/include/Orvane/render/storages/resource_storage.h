#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>

namespace Orvane {

class Renderer;

// The GPU-side records of one kind of scene resource, keyed by the CPU object. The render aspect's sync calls
// add, update and remove; the render algorithm looks records up and iterates them.
template<typename T, typename Record>
class ResourceStorage
{
public:
    using RecordMap = std::unordered_map<const T *, std::unique_ptr<Record>>;

    explicit ResourceStorage(Renderer *renderer)
        : m_renderer(renderer)
    {
    }
    virtual ~ResourceStorage() = default;

    ResourceStorage(const ResourceStorage &) = delete;
    ResourceStorage &operator=(const ResourceStorage &) = delete;

    Record *find(const T *object) const
    {
        const auto it = m_records.find(object);
        return it == m_records.end() ? nullptr : it->second.get();
    }
    const RecordMap &records() const noexcept { return m_records; }
    std::size_t size() const noexcept { return m_records.size(); }

protected:
    std::unique_ptr<Record> take(const T *object)
    {
        const auto it = m_records.find(object);
        if (it == m_records.end())
            return nullptr;
        std::unique_ptr<Record> record = std::move(it->second);
        m_records.erase(it);
        return record;
    }
    Record &findOrCreate(const T *object)
    {
        std::unique_ptr<Record> &record = m_records[object];
        if (!record)
            record = std::make_unique<Record>();
        return *record;
    }

    Renderer *m_renderer{ nullptr };
    RecordMap m_records;
};

} // namespace Orvane
