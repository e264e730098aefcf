#pragma once

#include <TbGpu/handle.h>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace TbGpu {

// Everything a framebuffer for recording is made from: two keys are equal only when the framebuffers would be.
struct FramebufferKey {
    Handle<RenderPass_t> renderPass;
    std::vector<Handle<TextureView_t>> views; // in attachment order
    uint32_t width{ 0 };
    uint32_t height{ 0 };
    uint32_t layers{ 1 };
    bool operator==(const FramebufferKey &) const = default;
};

struct FramebufferKeyHash {
    size_t operator()(const FramebufferKey &key) const noexcept;
};

// The framebuffers a device made for recording. A framebuffer leaves the cache with the first of its views to go,
// so no cached framebuffer names a destroyed view (swapchain rebuilds would otherwise leave one behind each time).
// The cache only keeps handles: whoever takes framebuffers out destroys them.
class FramebufferCache
{
public:
    // An invalid handle when the key is not cached.
    Handle<Framebuffer_t> find(const FramebufferKey &key) const;
    void insert(FramebufferKey key, const Handle<Framebuffer_t> &framebuffer);
    std::vector<Handle<Framebuffer_t>> evictUsing(const Handle<TextureView_t> &view);
    std::vector<Handle<Framebuffer_t>> takeAll();

    size_t size() const noexcept { return m_entries.size(); }
    template<typename Fn>
    void forEach(Fn &&fn) const
    {
        for (const auto &[key, framebuffer] : m_entries)
            fn(key, framebuffer);
    }

private:
    std::unordered_map<FramebufferKey, Handle<Framebuffer_t>, FramebufferKeyHash> m_entries;
};

} // namespace TbGpu
