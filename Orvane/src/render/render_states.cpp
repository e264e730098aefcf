#include <Orvane/render/render_states.h>

#include <TbGpu/handle.h>

#include <bit>
#include <functional>

namespace Orvane {

namespace {

template<typename... Values>
uint64_t combinedHash(const Values &...values)
{
    size_t seed = 0;
    auto add = [&seed](auto value) {
        if constexpr (std::is_enum_v<decltype(value)>)
            TbGpu::hashCombine(seed, std::hash<uint64_t>{}(uint64_t(value)));
        else if constexpr (std::is_same_v<decltype(value), float>)
            TbGpu::hashCombine(seed, std::hash<uint32_t>{}(std::bit_cast<uint32_t>(value)));
        else
            TbGpu::hashCombine(seed, std::hash<uint64_t>{}(uint64_t(value)));
    };
    (add(values), ...);
    return seed;
}

} // namespace

uint64_t PrimitiveState::hash() const
{
    return combinedHash(topology, primitiveRestart, cullMode.toInt(), frontFace, polygonMode, lineWidth);
}

uint64_t DepthStencilState::hash() const
{
    return combinedHash(format, depthTestEnabled, depthWritesEnabled, depthCompareOperation, stencilTestEnabled);
}

uint64_t MultisampleState::hash() const
{
    return combinedHash(alphaToCoverageEnabled);
}

uint64_t ColorBlendState::hash() const
{
    size_t seed = attachments.size();
    for (const ColorBlendAttachmentState &a : attachments) {
        TbGpu::hashCombine(seed,
                           combinedHash(a.format, a.writeMask.toInt(), a.blendingEnabled, a.colorOperation,
                                        a.colorSrcFactor, a.colorDstFactor, a.alphaOperation, a.alphaSrcFactor,
                                        a.alphaDstFactor));
    }
    return seed;
}

} // namespace Orvane
