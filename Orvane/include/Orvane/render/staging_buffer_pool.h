#pragma once

#include <TbGpu/buffer.h>
#include <TbGpu/enums.h>
#include <TbGpu/handle.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace TbGpu {
class CommandRecorder;
class Device;
} // namespace TbGpu

namespace Orvane {

namespace Render {
class ResourceDeleter;
}

// Where staged bytes sit: a host-visible transfer source buffer and the offset of the bytes in it.
struct StagingAllocation {
    TbGpu::Handle<TbGpu::Buffer_t> buffer;
    uint64_t offset{ 0 };
};

// Host-visible memory for the uploads of one thread. Small uploads are sub-allocated from 2 MiB blocks; an upload
// larger than a block gets a buffer of its own, retired through the deleter at once so that it lives exactly as
// long as the frame that copies from it. A block is written again only after every frame that copied from it has
// completed, so a copy in flight never reads overwritten bytes.
class StagingBufferPool
{
public:
    static constexpr uint64_t BlockSize = 2097152;

    StagingBufferPool(TbGpu::Device *device, Render::ResourceDeleter *deleter);
    ~StagingBufferPool(); // releaseBlocks()

    StagingBufferPool(const StagingBufferPool &) = delete;
    StagingBufferPool &operator=(const StagingBufferPool &) = delete;

    // Copies `size` bytes into staging memory at an offset that is a multiple of `alignment` and of the adapter's
    // optimal buffer copy offset alignment (and always of 4). For a copy into an image, pass
    // textureCopyAlignment(format).
    StagingAllocation stage(const void *data, uint64_t size, uint64_t alignment = 4);

    // End of a frame: blocks whose frames have completed become free; free blocks beyond one spare are retired.
    void trim();
    // Hands every block to the deleter (flush points and shutdown).
    void releaseBlocks();

    std::size_t blockCount() const noexcept { return m_blocks.size(); }
    Render::ResourceDeleter *deleter() const noexcept { return m_deleter; }

    // The offset alignment of a buffer-to-image copy into `format`: its texel block size, and 4.
    static uint64_t textureCopyAlignment(TbGpu::Format format);

private:
    struct Block {
        TbGpu::Buffer buffer;
        uint8_t *mapped{ nullptr };
        std::vector<std::pair<uint64_t, uint64_t>> allocations; // (offset, size)
        uint64_t lastUsedFrame{ 0 };
    };

    static constexpr std::size_t NoBlock = ~std::size_t(0);

    bool isReusable(const Block &block) const;
    static uint64_t alignedEnd(const Block &block, uint64_t alignment);
    std::size_t blockWithRoom(uint64_t size, uint64_t alignment);
    std::size_t createBlock();
    void makeCurrent(std::size_t index);
    StagingAllocation stageDedicated(const void *data, uint64_t size);

    TbGpu::Device *m_device{ nullptr };
    Render::ResourceDeleter *m_deleter{ nullptr };
    uint64_t m_copyOffsetAlignment{ 4 };
    std::vector<Block> m_blocks;
    std::size_t m_current{ NoBlock }; // the mapped block
};

// Stages `data` once and records a copy of all of it to offset 0 of `destination` and one more copy to each of the
// extra offsets.
void uploadBufferData(TbGpu::CommandRecorder &recorder, StagingBufferPool &pool,
                      const TbGpu::Handle<TbGpu::Buffer_t> &destination, const std::vector<uint8_t> &data,
                      const std::vector<uint64_t> &extraOffsets = {});

} // namespace Orvane
