#pragma once

#include <TbGpu/enums.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <variant>
#include <vector>

namespace TbGpu {

// The resources a bind group entry can hold, one per resource binding type.
struct SamplerBinding {
    Handle<Sampler_t> sampler;
};
struct TextureViewSamplerBinding {
    Handle<TextureView_t> textureView;
    Handle<Sampler_t> sampler;
};
struct TextureViewBinding {
    Handle<TextureView_t> textureView;
};
struct ImageBinding {
    Handle<TextureView_t> textureView;
};

// A buffer range; a size of WholeSize binds everything from the offset to the end of the buffer.
struct BufferBinding {
    static constexpr uint32_t WholeSize = 0xFFFFFFFFu;
    Handle<Buffer_t> buffer;
    uint32_t offset{ 0 };
    uint32_t size{ WholeSize };
};
struct UniformBufferBinding : BufferBinding { };
struct StorageBufferBinding : BufferBinding { };
struct DynamicUniformBufferBinding : BufferBinding { };

using BindingResource = std::variant<SamplerBinding, TextureViewSamplerBinding, TextureViewBinding, ImageBinding,
                                     UniformBufferBinding, StorageBufferBinding, DynamicUniformBufferBinding>;

// The resource binding type an entry's resource is written as.
inline ResourceBindingType resourceBindingType(const BindingResource &resource)
{
    constexpr ResourceBindingType types[] = { ResourceBindingType::Sampler,
                                              ResourceBindingType::CombinedImageSampler,
                                              ResourceBindingType::SampledImage,
                                              ResourceBindingType::StorageImage,
                                              ResourceBindingType::UniformBuffer,
                                              ResourceBindingType::StorageBuffer,
                                              ResourceBindingType::UniformBufferDynamic };
    return types[resource.index()];
}

struct BindGroupEntry {
    uint32_t binding{ 0 };
    BindingResource resource;
};

struct BindGroupOptions {
    Handle<BindGroupLayout_t> layout;
    std::vector<BindGroupEntry> resources;
};

} // namespace TbGpu
