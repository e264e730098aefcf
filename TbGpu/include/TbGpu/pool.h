#pragma once

#include <TbGpu/handle.h>

#include <cstdint>
#include <vector>

namespace TbGpu {

// Generational storage of one kind of record. Records live by value in `data`; a removed slot keeps its element
// until the slot is reused, and its generation moves on so every old handle to it stays stale for ever.
// Pointers returned by get() are good only until the next insertion (the array may move).
template<typename T, typename Tag>
class Pool
{
public:
    struct Slot {
        uint32_t generation{ 1 };
        bool alive{ true };
    };

    explicit Pool(uint32_t initialCapacity = 0)
        : m_capacity(initialCapacity)
    {
        reserveAll();
    }

    Handle<Tag> insert(T value)
    {
        const size_t live = m_data.size() - m_freeIndices.size();
        if (live >= m_capacity) {
            m_capacity = m_capacity == 0 ? 1 : m_capacity * 2;
            reserveAll();
        }
        if (m_freeIndices.empty()) {
            m_data.push_back(std::move(value));
            m_slots.push_back(Slot{ 1, true });
            return { static_cast<uint32_t>(m_data.size() - 1), 1 };
        }
        const uint32_t index = m_freeIndices.back();
        m_freeIndices.pop_back();
        m_slots[index].alive = true;
        m_data[index] = std::move(value);
        return { index, m_slots[index].generation };
    }

    T *get(const Handle<Tag> &handle) { return names(handle) ? &m_data[handle.index] : nullptr; }
    const T *get(const Handle<Tag> &handle) const { return names(handle) ? &m_data[handle.index] : nullptr; }

    // A handle that does not name a live record is ignored.
    void remove(const Handle<Tag> &handle)
    {
        if (!names(handle))
            return;
        Slot &slot = m_slots[handle.index];
        slot.alive = false;
        ++slot.generation;
        m_freeIndices.push_back(handle.index);
    }

    uint32_t capacity() const noexcept { return m_capacity; }
    // Number of records alive.
    size_t size() const noexcept { return m_data.size() - m_freeIndices.size(); }

    // Calls fn(handle, record) for every record alive, in slot order.
    template<typename Fn>
    void forEachAlive(Fn &&fn)
    {
        for (uint32_t i = 0; i < m_data.size(); ++i) {
            if (m_slots[i].alive)
                fn(Handle<Tag>{ i, m_slots[i].generation }, m_data[i]);
        }
    }

private:
    bool names(const Handle<Tag> &handle) const noexcept
    {
        return handle.index < m_data.size() && m_slots[handle.index].generation == handle.generation &&
                m_slots[handle.index].alive;
    }

    void reserveAll()
    {
        m_data.reserve(m_capacity);
        m_slots.reserve(m_capacity);
        m_freeIndices.reserve(m_capacity);
    }

    std::vector<T> m_data;
    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_freeIndices;
    uint32_t m_capacity{ 0 };
};

} // namespace TbGpu
