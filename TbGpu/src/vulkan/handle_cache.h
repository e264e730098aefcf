#pragma once

#include <TbGpu/handle.h>

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace TbGpu {

// A device's cache of objects made on demand, found by a plain key: the hash picks the bucket and equality over the
// whole key decides, so two different keys never share an object. The cache only keeps handles: whoever takes
// objects out destroys them.
template<typename Key, typename KeyHash, typename Tag>
class HandleCache
{
public:
    // An invalid handle when the key is not cached.
    Handle<Tag> find(const Key &key) const
    {
        const auto found = m_entries.find(key);
        return found == m_entries.end() ? Handle<Tag>{} : found->second;
    }
    void insert(Key key, const Handle<Tag> &handle) { m_entries.insert_or_assign(std::move(key), handle); }

    // Empties the cache, handing back every handle.
    std::vector<Handle<Tag>> takeAll()
    {
        std::vector<Handle<Tag>> all;
        all.reserve(m_entries.size());
        for (const auto &[key, handle] : m_entries)
            all.push_back(handle);
        m_entries.clear();
        return all;
    }

    size_t size() const noexcept { return m_entries.size(); }
    template<typename Fn>
    void forEach(Fn &&fn) const
    {
        for (const auto &[key, handle] : m_entries)
            fn(key, handle);
    }

protected:
    // Removes the entries whose key matches, handing back their handles.
    template<typename Predicate>
    std::vector<Handle<Tag>> evictIf(Predicate &&matches)
    {
        std::vector<Handle<Tag>> evicted;
        std::erase_if(m_entries, [&](const auto &entry) {
            if (!matches(entry.first))
                return false;
            evicted.push_back(entry.second);
            return true;
        });
        return evicted;
    }

private:
    std::unordered_map<Key, Handle<Tag>, KeyHash> m_entries;
};

} // namespace TbGpu
