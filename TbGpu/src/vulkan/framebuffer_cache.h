#pragma once

#include "vulkan/handle_cache.h"

#include <cstdint>
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
class FramebufferCache : public HandleCache<FramebufferKey, FramebufferKeyHash, Framebuffer_t>
{
public:
    std::vector<Handle<Framebuffer_t>> evictUsing(const Handle<TextureView_t> &view);
};

} // namespace TbGpu
