#pragma once

#include <TbGpu/gpu_core.h>

#include <vulkan/vulkan.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace TbGpu {

class MemoryAllocator;
struct MemoryBlock;

// One piece of device memory handed to a buffer or image: a range of a shared block, or a block of its own.
// Owned by the allocator; callers hold the pointer between create and destroy.
class MemoryAllocation
{
public:
    VkDeviceSize offset() const noexcept { return m_offset; }
    VkDeviceSize size() const noexcept { return m_size; }

private:
    friend class MemoryAllocator;
    MemoryBlock *m_block{ nullptr };
    VkDeviceSize m_offset{ 0 };
    VkDeviceSize m_size{ 0 }; // what the resource requires
    VkDeviceSize m_reservedSize{ 0 }; // what was taken from the block (size rounded up to the granularity)
    uint32_t m_mapCount{ 0 };
};

struct MemoryAllocationCreateInfo {
    MemoryUsage usage{ MemoryUsage::Unknown };
    // Resources whose memory is exported get a block of their own, allocated with these handle types.
    ExternalMemoryHandleTypeFlags exportHandleTypes;
};

struct MemoryAllocationInfo {
    uint32_t memoryType{ 0 };
    VkMemoryPropertyFlags propertyFlags{ 0 };
    VkDeviceMemory deviceMemory{ VK_NULL_HANDLE };
    VkDeviceSize offset{ 0 }; // of the allocation inside deviceMemory
    VkDeviceSize size{ 0 };
};

// Live counters. Everything returns to zero once every resource made through the allocator is destroyed
// (empty blocks are given back at once).
struct MemoryAllocatorStatistics {
    uint64_t allocationCount{ 0 }; // live buffers and images
    uint64_t allocationBytes{ 0 }; // bytes they require
    uint64_t blockCount{ 0 }; // live VkDeviceMemory objects, shared and dedicated
    uint64_t blockBytes{ 0 }; // bytes of device memory held
    uint64_t dedicatedBlockCount{ 0 }; // blocks that hold exactly one resource
};

// The two kinds of resources the allocator binds memory to.
struct AllocatedBuffer {
    using Handle = VkBuffer;
    using CreateInfo = VkBufferCreateInfo;
};
struct AllocatedImage {
    using Handle = VkImage;
    using CreateInfo = VkImageCreateInfo;
};

// The device's memory allocator. Small resources are sub-allocated from shared blocks per memory type (first fit,
// neighbouring free ranges merged on release); large resources, those the driver wants alone and exported ones get
// dedicated memory. The memory type is chosen from the usage and the resource's requirements. Offsets and sizes
// inside shared blocks are rounded to bufferImageGranularity, so linear and optimal resources never share a page.
// Used from one thread at a time, like the rest of the library.
class MemoryAllocator
{
public:
    struct CreateInfo {
        VkPhysicalDevice physicalDevice{ VK_NULL_HANDLE };
        VkDevice device{ VK_NULL_HANDLE };
        VkDeviceSize preferredBlockSize{ 0 }; // 0: 64 MiB, or an eighth of the heap when that is smaller
    };

    // Fails with VK_ERROR_INITIALIZATION_FAILED when a handle is missing.
    static VkResult create(const CreateInfo &info, std::unique_ptr<MemoryAllocator> &allocator);
    ~MemoryAllocator(); // frees every block; resources still alive are reported

    MemoryAllocator(const MemoryAllocator &) = delete;
    MemoryAllocator &operator=(const MemoryAllocator &) = delete;

    VkResult createBuffer(const VkBufferCreateInfo &bufferInfo, const MemoryAllocationCreateInfo &allocationInfo,
                          VkBuffer *buffer, MemoryAllocation **allocation);
    void destroyBuffer(VkBuffer buffer, MemoryAllocation *allocation);
    VkResult createImage(const VkImageCreateInfo &imageInfo, const MemoryAllocationCreateInfo &allocationInfo,
                         VkImage *image, MemoryAllocation **allocation);
    void destroyImage(VkImage image, MemoryAllocation *allocation);

    // Mapping is counted per allocation and per block; the block stays mapped while any of its allocations is.
    VkResult map(MemoryAllocation *allocation, void **data);
    void unmap(MemoryAllocation *allocation);
    // Ranges are relative to the allocation; VK_WHOLE_SIZE reaches its end. Nothing happens on coherent memory;
    // otherwise the range is widened to nonCoherentAtomSize.
    VkResult flush(MemoryAllocation *allocation, VkDeviceSize offset, VkDeviceSize size);
    VkResult invalidate(MemoryAllocation *allocation, VkDeviceSize offset, VkDeviceSize size);

    MemoryAllocationInfo allocationInfo(const MemoryAllocation *allocation) const;
    MemoryAllocatorStatistics statistics() const noexcept { return m_statistics; }
    const VkPhysicalDeviceMemoryProperties &memoryProperties() const noexcept { return m_memoryProperties; }

    // The memory types able to back a resource with these type bits for this usage, best first.
    std::vector<uint32_t> candidateMemoryTypes(uint32_t memoryTypeBits, MemoryUsage usage) const
    {
        return rankMemoryTypes(m_memoryProperties, memoryTypeBits, usage);
    }

    // The ranking behind candidateMemoryTypes: types lacking a flag the usage requires are left out, the rest are
    // ordered by how many preferred flags they miss plus how many unwanted flags they have (stable on ties).
    static std::vector<uint32_t> rankMemoryTypes(const VkPhysicalDeviceMemoryProperties &properties,
                                                 uint32_t memoryTypeBits, MemoryUsage usage);

    // The range of a block that flushing or invalidating [offset, offset + size) of an allocation touches: widened
    // to whole atoms and kept inside the block. size may be VK_WHOLE_SIZE (to the allocation's end).
    struct BlockRange {
        VkDeviceSize offset{ 0 };
        VkDeviceSize size{ 0 };
        bool operator==(const BlockRange &) const = default;
    };
    static BlockRange nonCoherentRange(VkDeviceSize allocationOffset, VkDeviceSize allocationSize, VkDeviceSize offset,
                                       VkDeviceSize size, VkDeviceSize atomSize, VkDeviceSize blockSize);

private:
    explicit MemoryAllocator(const CreateInfo &info);

    // A buffer or image with memory bound to it; on failure nothing is left behind.
    template<typename Kind>
    VkResult createBound(const typename Kind::CreateInfo &createInfo, const MemoryAllocationCreateInfo &allocationInfo,
                         typename Kind::Handle *handle, MemoryAllocation **allocation);
    template<typename Kind>
    void destroyBound(typename Kind::Handle handle, MemoryAllocation *allocation);

    VkResult allocate(const VkMemoryRequirements &requirements, bool dedicated,
                      const VkMemoryDedicatedAllocateInfo *dedicatedInfo, const MemoryAllocationCreateInfo &createInfo,
                      MemoryAllocation **allocation);
    VkResult allocateFromType(uint32_t memoryType, const VkMemoryRequirements &requirements, bool dedicated,
                              const VkMemoryDedicatedAllocateInfo *dedicatedInfo,
                              const MemoryAllocationCreateInfo &createInfo, MemoryAllocation **allocation);
    VkResult newBlock(uint32_t memoryType, VkDeviceSize size, bool dedicated,
                      const VkMemoryDedicatedAllocateInfo *dedicatedInfo,
                      ExternalMemoryHandleTypeFlags exportHandleTypes, MemoryBlock **block);
    void free(MemoryAllocation *allocation);
    void releaseBlock(MemoryBlock *block);
    VkResult flushOrInvalidate(MemoryAllocation *allocation, VkDeviceSize offset, VkDeviceSize size, bool flush);

    VkPhysicalDevice m_physicalDevice{ VK_NULL_HANDLE };
    VkDevice m_device{ VK_NULL_HANDLE };
    VkPhysicalDeviceMemoryProperties m_memoryProperties{};
    VkDeviceSize m_bufferImageGranularity{ 1 };
    VkDeviceSize m_nonCoherentAtomSize{ 1 };
    uint32_t m_maxMemoryAllocationCount{ 0 };
    VkDeviceSize m_preferredBlockSize{ 0 };
    std::vector<std::unique_ptr<MemoryBlock>> m_blocks;
    MemoryAllocatorStatistics m_statistics;
};

} // namespace TbGpu
