#include "vulkan/framebuffer_cache.h"

#include <algorithm>

namespace TbGpu {

size_t FramebufferKeyHash::operator()(const FramebufferKey &key) const noexcept
{
    size_t seed = hashHandle(key.renderPass);
    for (const Handle<TextureView_t> &view : key.views)
        hashCombine(seed, hashHandle(view));
    hashCombine(seed, std::hash<uint32_t>{}(key.width));
    hashCombine(seed, std::hash<uint32_t>{}(key.height));
    hashCombine(seed, std::hash<uint32_t>{}(key.layers));
    return seed;
}

Handle<Framebuffer_t> FramebufferCache::find(const FramebufferKey &key) const
{
    const auto found = m_entries.find(key);
    return found == m_entries.end() ? Handle<Framebuffer_t>{} : found->second;
}

void FramebufferCache::insert(FramebufferKey key, const Handle<Framebuffer_t> &framebuffer)
{
    m_entries.insert_or_assign(std::move(key), framebuffer);
}

std::vector<Handle<Framebuffer_t>> FramebufferCache::evictUsing(const Handle<TextureView_t> &view)
{
    std::vector<Handle<Framebuffer_t>> evicted;
    std::erase_if(m_entries, [&](const auto &entry) {
        const std::vector<Handle<TextureView_t>> &views = entry.first.views;
        if (std::find(views.begin(), views.end(), view) == views.end())
            return false;
        evicted.push_back(entry.second);
        return true;
    });
    return evicted;
}

std::vector<Handle<Framebuffer_t>> FramebufferCache::takeAll()
{
    std::vector<Handle<Framebuffer_t>> all;
    all.reserve(m_entries.size());
    for (const auto &[key, framebuffer] : m_entries)
        all.push_back(framebuffer);
    m_entries.clear();
    return all;
}

} // namespace TbGpu
