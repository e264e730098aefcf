#include <TbGpu/adapter_properties.h>

namespace TbGpu {

const char *presentModeName(PresentMode mode)
{
    switch (mode) {
    case PresentMode::Immediate:
        return "Immediate";
    case PresentMode::Mailbox:
        return "Mailbox";
    case PresentMode::Fifo:
        return "Fifo";
    case PresentMode::FifoRelaxed:
        return "Fifo Relaxed";
    case PresentMode::SharedDemandRefresh:
        return "Shared Demand Refresh";
    case PresentMode::SharedContinuousRefresh:
        return "Shared Continuous Refresh";
    default:
        return "Unknown";
    }
}

std::vector<size_t> rankAdapters(const std::vector<AdapterDeviceType> &types, AdapterDeviceType wish)
{
    const std::vector<AdapterDeviceType> preference = wish == AdapterDeviceType::Default
            ? std::vector<AdapterDeviceType>{ AdapterDeviceType::DiscreteGpu, AdapterDeviceType::IntegratedGpu,
                                              AdapterDeviceType::VirtualGpu, AdapterDeviceType::Cpu }
            : std::vector<AdapterDeviceType>{ wish };
    std::vector<size_t> ranked;
    for (AdapterDeviceType wanted : preference) {
        for (size_t i = 0; i < types.size(); ++i) {
            if (types[i] == wanted)
                ranked.push_back(i);
        }
    }
    return ranked;
}

int selectAdapterIndex(const std::vector<AdapterDeviceType> &types, AdapterDeviceType wish)
{
    const std::vector<size_t> ranked = rankAdapters(types, wish);
    return ranked.empty() ? -1 : static_cast<int>(ranked.front());
}

} // namespace TbGpu
