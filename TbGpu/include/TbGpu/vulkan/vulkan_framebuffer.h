#pragma once

#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

#include <cstdint>

namespace TbGpu {

// The framebuffers-pool record.
struct VulkanFramebuffer {
    VkFramebuffer framebuffer{ VK_NULL_HANDLE };
};

// Key of a device's framebuffer cache: the render pass, a hash of the attachment views and the dimensions.
struct FramebufferKey {
    Handle<RenderPass_t> renderPass;
    uint64_t attachmentsKey{ 0 };
    uint32_t width{ 0 };
    uint32_t height{ 0 };
    uint32_t layers{ 1 };
    bool operator==(const FramebufferKey &) const = default;
};

} // namespace TbGpu

template<>
struct std::hash<TbGpu::FramebufferKey> {
    size_t operator()(const TbGpu::FramebufferKey &key) const noexcept
    {
        size_t seed = 0;
        TbGpu::hashCombine(seed, TbGpu::hashHandle(key.renderPass));
        TbGpu::hashCombine(seed, std::hash<uint64_t>{}(key.attachmentsKey));
        TbGpu::hashCombine(seed, std::hash<uint32_t>{}(key.width));
        TbGpu::hashCombine(seed, std::hash<uint32_t>{}(key.height));
        TbGpu::hashCombine(seed, std::hash<uint32_t>{}(key.layers));
        return seed;
    }
};
