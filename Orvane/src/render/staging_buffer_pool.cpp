#include <Orvane/render/staging_buffer_pool.h>

#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/texel_blocks.h>

#include <TbGpu/adapter.h>
#include <TbGpu/command_recorder.h>
#include <TbGpu/device.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>

namespace Orvane {

namespace {

uint64_t alignUp(uint64_t value, uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

TbGpu::BufferOptions stagingBufferOptions(uint64_t size)
{
    return { size, TbGpu::BufferUsageFlagBits::TransferSrcBit, TbGpu::MemoryUsage::CpuOnly };
}

} // namespace

StagingBufferPool::StagingBufferPool(TbGpu::Device *device, Render::ResourceDeleter *deleter)
    : m_device(device)
    , m_deleter(deleter)
{
    if (m_device && m_device->adapter()) {
        const uint64_t optimal = m_device->adapter()->properties().limits.optimalBufferCopyOffsetAlignment;
        if (optimal > 0)
            m_copyOffsetAlignment = std::lcm(m_copyOffsetAlignment, optimal);
    }
}

StagingBufferPool::~StagingBufferPool()
{
    releaseBlocks();
}

uint64_t StagingBufferPool::textureCopyAlignment(TbGpu::Format format)
{
    return std::lcm(uint64_t(4), uint64_t(Render::texelBlock(format).bytes));
}

StagingAllocation StagingBufferPool::stage(const void *data, uint64_t size, uint64_t alignment)
{
    alignment = std::lcm(std::max<uint64_t>(alignment, 1), m_copyOffsetAlignment);
    if (size > BlockSize)
        return stageDedicated(data, size);

    std::size_t index = blockWithRoom(size, alignment);
    if (index == NoBlock)
        index = createBlock();
    makeCurrent(index);
    Block &block = m_blocks[index];
    const uint64_t offset = alignedEnd(block, alignment);
    if (size > 0 && data)
        std::memcpy(block.mapped + offset, data, size);
    block.allocations.emplace_back(offset, size);
    block.lastUsedFrame = m_deleter->frameNumber();
    block.buffer.flush();
    return { block.buffer.handle(), offset };
}

void StagingBufferPool::makeCurrent(std::size_t index)
{
    if (index == m_current)
        return;
    if (m_current != NoBlock) {
        m_blocks[m_current].buffer.unmap();
        m_blocks[m_current].mapped = nullptr;
    }
    m_current = index;
    m_blocks[index].mapped = static_cast<uint8_t *>(m_blocks[index].buffer.map());
    if (!m_blocks[index].mapped)
        throw std::runtime_error("Failed to map a staging buffer block!");
}

StagingAllocation StagingBufferPool::stageDedicated(const void *data, uint64_t size)
{
    TbGpu::Buffer buffer = m_device->createBuffer(stagingBufferOptions(size));
    void *mapped = buffer.map();
    if (!mapped)
        throw std::runtime_error("Failed to map a staging buffer!");
    if (data)
        std::memcpy(mapped, data, size);
    buffer.flush();
    buffer.unmap();
    const StagingAllocation allocation{ buffer.handle(), 0 };
    // The deleter keeps it until the frame that copies from it has completed.
    m_deleter->currentBatch().buffers.push_back(std::move(buffer));
    return allocation;
}

bool StagingBufferPool::isReusable(const Block &block) const
{
    return block.lastUsedFrame < m_deleter->completedFrameNumber();
}

uint64_t StagingBufferPool::alignedEnd(const Block &block, uint64_t alignment)
{
    if (block.allocations.empty())
        return 0;
    const auto &[offset, size] = block.allocations.back();
    return alignUp(offset + size, alignment);
}

std::size_t StagingBufferPool::blockWithRoom(uint64_t size, uint64_t alignment)
{
    // Bytes behind the last allocation are never read by a copy, so appending is safe in any block; starting a
    // block over waits until its frames have completed.
    auto fits = [&](Block &block) {
        if (!block.allocations.empty() && isReusable(block))
            block.allocations.clear();
        return alignedEnd(block, alignment) + size <= BlockSize;
    };
    if (m_current != NoBlock && fits(m_blocks[m_current]))
        return m_current;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (i != m_current && fits(m_blocks[i]))
            return i;
    }
    return NoBlock;
}

std::size_t StagingBufferPool::createBlock()
{
    Block block;
    block.buffer = m_device->createBuffer(stagingBufferOptions(BlockSize));
    if (!block.buffer.isValid())
        throw std::runtime_error("Failed to create a staging buffer block!");
    m_blocks.push_back(std::move(block));
    return m_blocks.size() - 1;
}

void StagingBufferPool::trim()
{
    for (Block &block : m_blocks) {
        if (!block.allocations.empty() && isReusable(block))
            block.allocations.clear();
    }
    // One free block (besides the mapped one) stays for the next frame; the other free ones go.
    bool spareKept = false;
    for (std::size_t i = 0; i < m_blocks.size();) {
        Block &block = m_blocks[i];
        const bool free = block.allocations.empty();
        if (!free || i == m_current || !spareKept) {
            spareKept = spareKept || (free && i != m_current);
            ++i;
            continue;
        }
        m_deleter->currentBatch().buffers.push_back(std::move(block.buffer));
        m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(i));
        if (m_current != NoBlock && m_current > i)
            --m_current;
    }
}

void StagingBufferPool::releaseBlocks()
{
    if (m_current != NoBlock)
        m_blocks[m_current].buffer.unmap();
    m_current = NoBlock;
    for (Block &block : m_blocks)
        m_deleter->currentBatch().buffers.push_back(std::move(block.buffer));
    m_blocks.clear();
}

void uploadBufferData(TbGpu::CommandRecorder &recorder, StagingBufferPool &pool,
                      const TbGpu::Handle<TbGpu::Buffer_t> &destination, const std::vector<uint8_t> &data,
                      const std::vector<uint64_t> &extraOffsets)
{
    if (data.empty())
        return;
    const StagingAllocation staged = pool.stage(data.data(), data.size());
    recorder.copyBuffer({ staged.buffer, staged.offset, destination, 0, data.size() });
    for (uint64_t offset : extraOffsets)
        recorder.copyBuffer({ staged.buffer, staged.offset, destination, offset, data.size() });
}

} // namespace Orvane
