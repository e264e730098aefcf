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

int selectAdapterIndex(const std::vector<AdapterDeviceType> &types, AdapterDeviceType wish)
{
    const std::vector<AdapterDeviceType> preference = wish == AdapterDeviceType::Default
            ? std::vector<AdapterDeviceType>{ AdapterDeviceType::DiscreteGpu, AdapterDeviceType::IntegratedGpu }
            : std::vector<AdapterDeviceType>{ wish };
    for (AdapterDeviceType wanted : preference) {
        for (size_t i = 0; i < types.size(); ++i) {
            if (types[i] == wanted)
                return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace TbGpu
