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

std::vector<Handle<Framebuffer_t>> FramebufferCache::evictUsing(const Handle<TextureView_t> &view)
{
    return evictIf([&](const FramebufferKey &key) {
        return std::find(key.views.begin(), key.views.end(), view) != key.views.end();
    });
}

} // namespace TbGpu
