#pragma once

#include <Orvane/core/entity.h>

#include <TbBindings/connection_handle.h>
#include <TbBindings/signal.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Orvane {

// The two signals through which a tracker follows an object of type T: one emitted after a relevant
// change, one at the very start of its destruction. Components and resources call them `changed` and
// `destroyed`; entities announce changes through componentsChanged.
template<typename T>
struct TrackedSignals {
    static TbBindings::Signal<T *> &changed(T &object) { return object.changed; }
    static TbBindings::Signal<T *> &destroyed(T &object) { return object.destroyed; }
};

template<>
struct TrackedSignals<Entity> {
    static TbBindings::Signal<Entity *> &changed(Entity &entity) { return entity.componentsChanged; }
    static TbBindings::Signal<Entity *> &destroyed(Entity &entity) { return entity.destroyed; }
};

// Follows the objects of one type for one aspect: which exist (tracked), which appeared (added), which
// changed and which were destroyed (removed) since the aspect last consumed the lists. Every report raises
// the tracker's bit in the aspect's `dirtyFlags`, so that an aspect can skip a frame in which nothing it
// follows changed. No list holds an object twice.
//
// The order of `tracked()` is unspecified; the other lists keep the order of the reports.
template<typename AspectT, typename T>
class SceneGraphTracker
{
public:
    SceneGraphTracker(AspectT *aspect, uint32_t dirtyBit)
        : m_aspect(aspect)
        , m_dirtyBit(dirtyBit)
    {
    }
    virtual ~SceneGraphTracker() { disconnectAll(); }

    SceneGraphTracker(const SceneGraphTracker &) = delete;
    SceneGraphTracker &operator=(const SceneGraphTracker &) = delete;

    // Starts following `object`: connects its change and destruction signals and reports it added.
    // Returns false, doing nothing, when it is already tracked (or null).
    virtual bool track(T *object)
    {
        if (!object || m_records.contains(object))
            return false;
        Record &record = m_records[object];
        record.trackedIndex = m_tracked.size();
        record.connections.push_back(
                TrackedSignals<T>::changed(*object).connect([this](T *changed) { nodeChanged(changed); }));
        record.connections.push_back(
                TrackedSignals<T>::destroyed(*object).connect([this](T *destroyed) { nodeDestroyed(destroyed); }));
        m_tracked.push_back(object);
        record.addedEpoch = m_addedEpoch;
        m_added.push_back(object);
        raiseDirtyBit();
        return true;
    }

    // Reports a tracked object changed (once per consumption of the list).
    void nodeChanged(T *object)
    {
        const auto it = m_records.find(object);
        if (it == m_records.end())
            return;
        if (it->second.changedEpoch != m_changedEpoch) {
            it->second.changedEpoch = m_changedEpoch;
            m_changed.push_back(object);
        }
        raiseDirtyBit();
    }

    // Stops following a tracked object that goes away and reports it removed. The object is only an
    // identity from here on.
    void nodeDestroyed(T *object)
    {
        const auto it = m_records.find(object);
        if (it == m_records.end())
            return;
        Record record = std::move(it->second);
        m_records.erase(it);
        for (auto &connection : record.connections)
            connection.disconnect();
        // The last tracked object takes the freed place.
        T *last = m_tracked.back();
        m_tracked[record.trackedIndex] = last;
        m_tracked.pop_back();
        if (last != object)
            m_records[last].trackedIndex = record.trackedIndex;
        if (record.changedEpoch == m_changedEpoch)
            m_changed.erase(std::find(m_changed.begin(), m_changed.end(), object));
        if (record.addedEpoch == m_addedEpoch)
            m_added.erase(std::find(m_added.begin(), m_added.end(), object));
        if (m_inRemoved.insert(object).second)
            m_removed.push_back(object);
        raiseDirtyBit();
    }

    // Stops following `object` without it being destroyed (it left the scene), reported like a destroyed
    // one. Tracking it again later reports it added.
    void untrack(T *object) { nodeDestroyed(object); }

    // Keeps `connection` with the other connections made for the tracked `object`, so that they are cut
    // together. A connection for an object that is not tracked is cut at once.
    void addConnection(T *object, TbBindings::ConnectionHandle connection)
    {
        const auto it = m_records.find(object);
        if (it == m_records.end()) {
            connection.disconnect();
            return;
        }
        it->second.connections.push_back(std::move(connection));
    }

    // Cuts every connection made for `object`; it stays tracked.
    void disconnect(T *object)
    {
        const auto it = m_records.find(object);
        if (it == m_records.end())
            return;
        for (auto &connection : it->second.connections)
            connection.disconnect();
        it->second.connections.clear();
    }

    // Forgets everything: cuts all connections and empties every list.
    void reset()
    {
        disconnectAll();
        m_records.clear();
        m_tracked.clear();
        takeAdded();
        takeChanged();
        takeRemoved();
    }

    bool isTracked(const T *object) const { return m_records.contains(const_cast<T *>(object)); }
    std::size_t connectionCount(const T *object) const
    {
        const auto it = m_records.find(const_cast<T *>(object));
        return it == m_records.end() ? 0 : it->second.connections.size();
    }

    const std::vector<T *> &tracked() const noexcept { return m_tracked; }
    const std::vector<T *> &added() const noexcept { return m_added; }
    const std::vector<T *> &changed() const noexcept { return m_changed; }
    const std::vector<T *> &removed() const noexcept { return m_removed; }

    // Each take hands over a list and leaves it empty, so that reports made while the caller works on the
    // list go to a fresh one.
    std::vector<T *> takeAdded()
    {
        std::vector<T *> list;
        takeAdded(list);
        return list;
    }
    std::vector<T *> takeChanged()
    {
        std::vector<T *> list;
        takeChanged(list);
        return list;
    }
    std::vector<T *> takeRemoved()
    {
        std::vector<T *> list;
        takeRemoved(list);
        return list;
    }

    // The same, into `into` (its previous contents are dropped); the tracker keeps the storage `into` had,
    // so that an aspect taking its lists every frame into the same vectors allocates nothing.
    void takeAdded(std::vector<T *> &into)
    {
        into.clear();
        into.swap(m_added);
        ++m_addedEpoch;
    }
    void takeChanged(std::vector<T *> &into)
    {
        into.clear();
        into.swap(m_changed);
        ++m_changedEpoch;
    }
    void takeRemoved(std::vector<T *> &into)
    {
        into.clear();
        into.swap(m_removed);
        if (!m_inRemoved.empty())
            m_inRemoved.clear();
    }

    AspectT *aspect() const noexcept { return m_aspect; }
    uint32_t dirtyBit() const noexcept { return m_dirtyBit; }

protected:
    void raiseDirtyBit() { m_aspect->dirtyFlags |= m_dirtyBit; }

private:
    // Per tracked object: its place in m_tracked, its connections, and whether it sits in the current
    // `added` and `changed` lists (an epoch equal to the list's current one). Taking a list starts a new
    // epoch, which empties the membership of all its objects at once.
    struct Record {
        std::size_t trackedIndex = 0;
        std::vector<TbBindings::ConnectionHandle> connections;
        uint64_t addedEpoch = 0;
        uint64_t changedEpoch = 0;
    };

    void disconnectAll()
    {
        for (auto &[object, record] : m_records) {
            for (auto &connection : record.connections)
                connection.disconnect();
            record.connections.clear();
        }
    }

    AspectT *m_aspect;
    uint32_t m_dirtyBit;
    std::unordered_map<T *, Record> m_records;
    std::vector<T *> m_tracked;
    std::vector<T *> m_added;
    std::vector<T *> m_changed;
    std::vector<T *> m_removed;
    std::unordered_set<T *> m_inRemoved;
    // Epoch 0 is never current, so a fresh record is in neither list.
    uint64_t m_addedEpoch = 1;
    uint64_t m_changedEpoch = 1;
};

} // namespace Orvane
