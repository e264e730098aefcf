#include <Orvane/assets/buffer.h>

#include <spdlog/spdlog.h>

namespace Orvane {

Buffer::Mapper::Mapper(Callable callable)
    : m_callable(callable ? std::make_shared<const Callable>(std::move(callable)) : nullptr)
{
}

void Buffer::Mapper::operator()(void *mappedAddress) const
{
    if (m_callable)
        (*m_callable)(mappedAddress);
}

bool Buffer::isHostVisible(TbGpu::MemoryUsage memoryUsage, TbGpu::BufferUsageFlags usage) noexcept
{
    using TbGpu::MemoryUsage;
    const bool cpuReachable = memoryUsage == MemoryUsage::CpuOnly || memoryUsage == MemoryUsage::CpuToGpu ||
            memoryUsage == MemoryUsage::GpuToCpu;
    const auto transferBits = TbGpu::BufferUsageFlagBits::TransferSrcBit | TbGpu::BufferUsageFlagBits::TransferDstBit;
    return cpuReachable && bool(usage & transferBits);
}

Buffer::Buffer()
{
    hostVisible =
            TbBindings::createBinding([](const TbGpu::MemoryUsage &memory,
                                         const TbGpu::BufferUsageFlags &bits) { return isHostVisible(memory, bits); },
                                      memoryUsage, usage);

    memoryUsage.valueChanged().connect([this](const TbGpu::MemoryUsage &) { changed.emit(this); });
    usage.valueChanged().connect([this](const TbGpu::BufferUsageFlags &) { changed.emit(this); });
    size.valueChanged().connect([this](const uint64_t &) {
        if (!m_raisingSizeForData)
            changed.emit(this);
    });
    exportMemory.valueChanged().connect([this](const bool &) { changed.emit(this); });
    data.valueChanged().connect([this](const std::vector<uint8_t> &newData) { onDataChanged(newData); });
    dataMapper.valueChanged().connect([this](const Mapper &) {
        if (!hostVisible.get())
            SPDLOG_WARN("Setting Mapper should only be done on a host visible buffer");
        changed.emit(this);
    });
}

Buffer::~Buffer()
{
    destroyed.emit(this);
}

void Buffer::onDataChanged(const std::vector<uint8_t> &newData)
{
    if (size.get() < newData.size()) {
        // A bound size throws here, before anything is announced.
        m_raisingSizeForData = true;
        try {
            size = uint64_t(newData.size());
        } catch (...) {
            m_raisingSizeForData = false;
            throw;
        }
        m_raisingSizeForData = false;
    }
    changed.emit(this);
}

} // namespace Orvane
