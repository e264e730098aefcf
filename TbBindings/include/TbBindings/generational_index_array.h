#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace TbBindings {

namespace Private {
struct GenerationalIndexArrayTestAccess;
} // namespace Private

// Names one slot of a GenerationalIndexArray. Packed into 64 bits, the index is the low half and the
// generation the high half.
struct GenerationalIndex {
    uint32_t index = 0;
    uint32_t generation = 0;

    constexpr uint64_t packed() const noexcept { return (uint64_t(generation) << 32) | index; }
    static constexpr GenerationalIndex fromPacked(uint64_t word) noexcept
    {
        return { uint32_t(word & 0xffffffffu), uint32_t(word >> 32) };
    }
    friend constexpr bool operator==(GenerationalIndex, GenerationalIndex) = default;
};

// Values in slots addressed by generational indices. A freed slot is reused last-freed-first with a
// generation one higher, so a stale index never reaches the value that replaced its own. A slot that has
// reached the last generation is not handed out again, so its generation never wraps round.
//
// Values live in fixed-size chunks that never move: a pointer returned by get() stays valid until that
// value is erased, however many values are inserted meanwhile. Signals rely on this to call a slot in
// place while the slot itself connects new ones.
template<typename T>
class GenerationalIndexArray
{
public:
    // The largest slot count is one below the largest 32-bit value.
    static constexpr uint64_t maxSlotCount = 4294967294u;
    static constexpr uint32_t maxGeneration = UINT32_MAX;

    GenerationalIndexArray() = default;
    GenerationalIndexArray(const GenerationalIndexArray &) = delete;
    GenerationalIndexArray &operator=(const GenerationalIndexArray &) = delete;
    GenerationalIndexArray(GenerationalIndexArray &&) noexcept = default;
    GenerationalIndexArray &operator=(GenerationalIndexArray &&) noexcept = default;

    GenerationalIndex insert(T value)
    {
        const GenerationalIndex index = nextIndex();
        // Storage and value come before the slot is published: if either fails (out of memory, a throwing
        // move), the array is as it was, and no walk over entryCount() slots meets a slot without storage.
        growValuesTo(index.index);
        ValueEntry &entry = valueEntry(index.index);
        entry.value.emplace(std::move(value));
        entry.generation = index.generation;
        try {
            publish(index);
        } catch (...) {
            entry.value.reset();
            throw;
        }
        return index;
    }

    T *get(GenerationalIndex index) noexcept
    {
        if (index.index >= m_allocations.size())
            return nullptr;
        const AllocationEntry &entry = m_allocations[index.index];
        if (!entry.live || entry.generation != index.generation)
            return nullptr;
        return valueIfCurrent(index.index, index.generation);
    }
    const T *get(GenerationalIndex index) const noexcept
    {
        return const_cast<GenerationalIndexArray *>(this)->get(index);
    }

    // Frees the slot and destroys its value; false when the index names no live value.
    bool erase(GenerationalIndex index)
    {
        if (!retire(index))
            return false;
        reclaim(index.index);
        return true;
    }

    // The two halves of erase, for owners that must keep a value alive a little longer (a signal whose
    // slot is still running): retire() makes the index stale at once, reclaim() later destroys the value
    // and hands the slot back for reuse.
    bool retire(GenerationalIndex index) noexcept
    {
        if (index.index >= m_allocations.size())
            return false;
        AllocationEntry &entry = m_allocations[index.index];
        if (!entry.live || entry.generation != index.generation)
            return false;
        entry.live = false;
        return true;
    }
    void reclaim(uint32_t slot)
    {
        if (slot < m_valueCount)
            valueEntry(slot).value.reset();
        // A slot at the last generation is never handed out again: its next generation would wrap round
        // to 0 and make the oldest stale indices of this slot valid again.
        if (m_allocations[slot].generation != maxGeneration)
            m_freeList.push_back(slot);
    }

    // The value in `slot` when that slot is live and holds a value stored under its current generation.
    T *liveValueAt(uint32_t slot) noexcept
    {
        if (slot >= m_allocations.size())
            return nullptr;
        const AllocationEntry &entry = m_allocations[slot];
        if (!entry.live)
            return nullptr;
        return valueIfCurrent(slot, entry.generation);
    }

    // The value stored in `slot` (a slot below entryCount()), live or merely retired; null once reclaimed.
    // For owners that also mark retired values themselves and want the cheapest walk over all slots.
    T *storedValueAt(uint32_t slot) noexcept
    {
        std::optional<T> &value = valueEntry(slot).value;
        return value ? &*value : nullptr;
    }

    // Calls `visit(value)` for the value stored in each of the first `slotCount` slots, live or merely
    // retired, in slot order. `visit` may insert and erase: chunks never move, so the walk stays valid.
    template<typename Visitor>
    void forEachStoredValue(uint32_t slotCount, Visitor &&visit)
    {
        for (uint32_t first = 0; first < slotCount; first += chunkSize) {
            ValueEntry *chunk = m_chunks[first >> chunkShift].get();
            const uint32_t count = std::min(chunkSize, slotCount - first);
            for (uint32_t i = 0; i < count; ++i) {
                if (chunk[i].value)
                    visit(*chunk[i].value);
            }
        }
    }

    GenerationalIndex indexAt(uint32_t slot) const noexcept { return { slot, m_allocations[slot].generation }; }

    // Number of slots ever created (live or free).
    uint32_t entryCount() const noexcept { return uint32_t(m_allocations.size()); }

private:
    friend struct Private::GenerationalIndexArrayTestAccess;

    static constexpr uint32_t chunkShift = 4;
    static constexpr uint32_t chunkSize = 1u << chunkShift;

    struct AllocationEntry {
        bool live = false;
        uint32_t generation = 0;
    };
    struct ValueEntry {
        uint32_t generation = 0;
        std::optional<T> value;
    };
    using Chunk = std::unique_ptr<ValueEntry[]>;

    ValueEntry &valueEntry(uint32_t slot) noexcept { return m_chunks[slot >> chunkShift][slot & (chunkSize - 1)]; }

    T *valueIfCurrent(uint32_t slot, uint32_t generation) noexcept
    {
        if (slot >= m_valueCount)
            return nullptr;
        ValueEntry &value = valueEntry(slot);
        if (!value.value || value.generation != generation)
            return nullptr;
        return &*value.value;
    }

    // The slot the next insert takes: the most recently freed one with its next generation, or a new one.
    GenerationalIndex nextIndex() const
    {
        if (!m_freeList.empty()) {
            const uint32_t slot = m_freeList.back();
            return { slot, m_allocations[slot].generation + 1 };
        }
        if (uint64_t(m_allocations.size()) + 1 >= uint64_t(UINT32_MAX))
            throw std::length_error("Maximum number of values inside GenerationalIndexArray reached: " +
                                    std::to_string(m_allocations.size()));
        return { uint32_t(m_allocations.size()), 0 };
    }

    // Makes the slot chosen by nextIndex() live. Only appending a new slot can fail, before any change.
    void publish(GenerationalIndex index)
    {
        if (index.index < m_allocations.size()) {
            m_freeList.pop_back();
            m_allocations[index.index] = { true, index.generation };
        } else
            m_allocations.push_back({ true, index.generation });
    }

    void growValuesTo(uint32_t slot)
    {
        while (m_valueCount <= slot) {
            if ((m_valueCount & (chunkSize - 1)) == 0)
                m_chunks.push_back(std::make_unique<ValueEntry[]>(chunkSize));
            ++m_valueCount;
        }
    }

    std::vector<AllocationEntry> m_allocations;
    std::vector<uint32_t> m_freeList;
    std::vector<Chunk> m_chunks;
    uint32_t m_valueCount = 0;
};

} // namespace TbBindings
