#include "vulkan/memory_allocator.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>
#include <bit>
#include <type_traits>

namespace TbGpu {

// One VkDeviceMemory. Shared blocks keep their free ranges (offset -> size, never adjacent: neighbours merge);
// a dedicated block holds exactly one allocation.
struct MemoryBlock {
    VkDeviceMemory memory{ VK_NULL_HANDLE };
    VkDeviceSize size{ 0 };
    uint32_t memoryType{ 0 };
    bool dedicated{ false };
    std::map<VkDeviceSize, VkDeviceSize> freeRanges;
    uint32_t allocationCount{ 0 };
    void *mapped{ nullptr };
    uint32_t mapCount{ 0 };
};

namespace {

constexpr VkDeviceSize DefaultLargestBlockSize = 64ull * 1024 * 1024;

VkDeviceSize alignUp(VkDeviceSize value, VkDeviceSize alignment)
{
    return alignment <= 1 ? value : (value + alignment - 1) / alignment * alignment;
}

VkDeviceSize alignDown(VkDeviceSize value, VkDeviceSize alignment)
{
    return alignment <= 1 ? value : value / alignment * alignment;
}

struct UsageFlags {
    VkMemoryPropertyFlags required{ 0 };
    VkMemoryPropertyFlags preferred{ 0 };
    VkMemoryPropertyFlags notPreferred{ 0 };
};

UsageFlags flagsForUsage(MemoryUsage usage)
{
    switch (usage) {
    case MemoryUsage::GpuOnly:
        return { 0, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT, 0 };
    case MemoryUsage::CpuOnly:
        return { VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT, 0, 0 };
    case MemoryUsage::CpuToGpu:
        return { VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT, 0 };
    case MemoryUsage::GpuToCpu:
        return { VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT, VK_MEMORY_PROPERTY_HOST_CACHED_BIT, 0 };
    case MemoryUsage::CpuCopy:
        return { VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT, 0, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT };
    case MemoryUsage::GpuLazilyAllocated:
        return { VK_MEMORY_PROPERTY_LAZILY_ALLOCATED_BIT, 0, 0 };
    default:
        return {};
    }
}

} // namespace

VkResult MemoryAllocator::create(const CreateInfo &info, std::unique_ptr<MemoryAllocator> &allocator)
{
    if (info.physicalDevice == VK_NULL_HANDLE || info.device == VK_NULL_HANDLE)
        return VK_ERROR_INITIALIZATION_FAILED;
    allocator.reset(new MemoryAllocator(info));
    return VK_SUCCESS;
}

MemoryAllocator::MemoryAllocator(const CreateInfo &info)
    : m_physicalDevice(info.physicalDevice)
    , m_device(info.device)
    , m_preferredBlockSize(info.preferredBlockSize)
{
    vkGetPhysicalDeviceMemoryProperties(m_physicalDevice, &m_memoryProperties);
    VkPhysicalDeviceProperties properties{};
    vkGetPhysicalDeviceProperties(m_physicalDevice, &properties);
    m_bufferImageGranularity = std::max<VkDeviceSize>(1, properties.limits.bufferImageGranularity);
    m_nonCoherentAtomSize = std::max<VkDeviceSize>(1, properties.limits.nonCoherentAtomSize);
    m_maxMemoryAllocationCount = properties.limits.maxMemoryAllocationCount;
}

MemoryAllocator::~MemoryAllocator()
{
    if (m_statistics.allocationCount != 0)
        TBGPU_LOG_ERROR("Memory allocator destroyed with {} allocations ({} bytes) still alive",
                        m_statistics.allocationCount, m_statistics.allocationBytes);
    for (const auto &block : m_blocks) {
        if (block->mapped)
            vkUnmapMemory(m_device, block->memory);
        vkFreeMemory(m_device, block->memory, nullptr);
    }
}

std::vector<uint32_t> MemoryAllocator::rankMemoryTypes(const VkPhysicalDeviceMemoryProperties &properties,
                                                       uint32_t memoryTypeBits, MemoryUsage usage)
{
    const UsageFlags wanted = flagsForUsage(usage);
    std::vector<std::pair<int, uint32_t>> ranked; // cost, type
    for (uint32_t type = 0; type < properties.memoryTypeCount; ++type) {
        if ((memoryTypeBits & (1u << type)) == 0)
            continue;
        const VkMemoryPropertyFlags flags = properties.memoryTypes[type].propertyFlags;
        if ((flags & wanted.required) != wanted.required)
            continue;
        if (flags & VK_MEMORY_PROPERTY_PROTECTED_BIT)
            continue; // protected memory needs a protected device and queue
        const int cost = std::popcount(wanted.preferred & ~flags) + std::popcount(flags & wanted.notPreferred);
        ranked.emplace_back(cost, type);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<uint32_t> types;
    for (const auto &[cost, type] : ranked)
        types.push_back(type);
    return types;
}

namespace {

// The Vulkan calls that differ between buffers and images when they are made with memory of their own kind.
template<typename Kind>
VkResult createHandle(VkDevice device, const typename Kind::CreateInfo &info, typename Kind::Handle *handle)
{
    if constexpr (std::is_same_v<Kind, AllocatedBuffer>)
        return vkCreateBuffer(device, &info, nullptr, handle);
    else
        return vkCreateImage(device, &info, nullptr, handle);
}

template<typename Kind>
void destroyHandle(VkDevice device, typename Kind::Handle handle)
{
    if constexpr (std::is_same_v<Kind, AllocatedBuffer>)
        vkDestroyBuffer(device, handle, nullptr);
    else
        vkDestroyImage(device, handle, nullptr);
}

// Reads the requirements and names the resource in the dedicated allocation info.
template<typename Kind>
void memoryRequirements(VkDevice device, typename Kind::Handle handle, VkMemoryRequirements2 &requirements,
                        VkMemoryDedicatedAllocateInfo &dedicated)
{
    if constexpr (std::is_same_v<Kind, AllocatedBuffer>) {
        VkBufferMemoryRequirementsInfo2 info{ VK_STRUCTURE_TYPE_BUFFER_MEMORY_REQUIREMENTS_INFO_2 };
        info.buffer = dedicated.buffer = handle;
        vkGetBufferMemoryRequirements2(device, &info, &requirements);
    } else {
        VkImageMemoryRequirementsInfo2 info{ VK_STRUCTURE_TYPE_IMAGE_MEMORY_REQUIREMENTS_INFO_2 };
        info.image = dedicated.image = handle;
        vkGetImageMemoryRequirements2(device, &info, &requirements);
    }
}

template<typename Kind>
VkResult bindMemory(VkDevice device, typename Kind::Handle handle, const MemoryAllocationInfo &memory)
{
    if constexpr (std::is_same_v<Kind, AllocatedBuffer>)
        return vkBindBufferMemory(device, handle, memory.deviceMemory, memory.offset);
    else
        return vkBindImageMemory(device, handle, memory.deviceMemory, memory.offset);
}

} // namespace

template<typename Kind>
VkResult MemoryAllocator::createBound(const typename Kind::CreateInfo &createInfo,
                                      const MemoryAllocationCreateInfo &allocationInfo, typename Kind::Handle *handle,
                                      MemoryAllocation **allocation)
{
    *handle = VK_NULL_HANDLE;
    *allocation = nullptr;
    VkResult result = createHandle<Kind>(m_device, createInfo, handle);
    if (result != VK_SUCCESS)
        return result;

    VkMemoryDedicatedRequirements dedicatedRequirements{ VK_STRUCTURE_TYPE_MEMORY_DEDICATED_REQUIREMENTS };
    VkMemoryRequirements2 requirements{ VK_STRUCTURE_TYPE_MEMORY_REQUIREMENTS_2 };
    requirements.pNext = &dedicatedRequirements;
    VkMemoryDedicatedAllocateInfo dedicatedInfo{ VK_STRUCTURE_TYPE_MEMORY_DEDICATED_ALLOCATE_INFO };
    memoryRequirements<Kind>(m_device, *handle, requirements, dedicatedInfo);
    const bool wantsDedicated = dedicatedRequirements.prefersDedicatedAllocation == VK_TRUE ||
            dedicatedRequirements.requiresDedicatedAllocation == VK_TRUE;
    result = allocate(requirements.memoryRequirements, wantsDedicated, &dedicatedInfo, allocationInfo, allocation);
    if (result == VK_SUCCESS) {
        result = bindMemory<Kind>(m_device, *handle, this->allocationInfo(*allocation));
        if (result != VK_SUCCESS) {
            free(*allocation);
            *allocation = nullptr;
        }
    }
    if (result != VK_SUCCESS) {
        destroyHandle<Kind>(m_device, *handle);
        *handle = VK_NULL_HANDLE;
    }
    return result;
}

template<typename Kind>
void MemoryAllocator::destroyBound(typename Kind::Handle handle, MemoryAllocation *allocation)
{
    if (handle != VK_NULL_HANDLE)
        destroyHandle<Kind>(m_device, handle);
    if (allocation)
        free(allocation);
}

VkResult MemoryAllocator::createBuffer(const VkBufferCreateInfo &bufferInfo,
                                       const MemoryAllocationCreateInfo &allocationInfo, VkBuffer *buffer,
                                       MemoryAllocation **allocation)
{
    return createBound<AllocatedBuffer>(bufferInfo, allocationInfo, buffer, allocation);
}

VkResult MemoryAllocator::createImage(const VkImageCreateInfo &imageInfo,
                                      const MemoryAllocationCreateInfo &allocationInfo, VkImage *image,
                                      MemoryAllocation **allocation)
{
    return createBound<AllocatedImage>(imageInfo, allocationInfo, image, allocation);
}

void MemoryAllocator::destroyBuffer(VkBuffer buffer, MemoryAllocation *allocation)
{
    destroyBound<AllocatedBuffer>(buffer, allocation);
}

void MemoryAllocator::destroyImage(VkImage image, MemoryAllocation *allocation)
{
    destroyBound<AllocatedImage>(image, allocation);
}

VkResult MemoryAllocator::allocate(const VkMemoryRequirements &requirements, bool dedicated,
                                   const VkMemoryDedicatedAllocateInfo *dedicatedInfo,
                                   const MemoryAllocationCreateInfo &createInfo, MemoryAllocation **allocation)
{
    const std::vector<uint32_t> types = candidateMemoryTypes(requirements.memoryTypeBits, createInfo.usage);
    if (types.empty())
        return VK_ERROR_FEATURE_NOT_PRESENT; // no memory type can hold this resource for this usage
    VkResult result = VK_ERROR_OUT_OF_DEVICE_MEMORY;
    for (uint32_t type : types) {
        result = allocateFromType(type, requirements, dedicated, dedicatedInfo, createInfo, allocation);
        if (result == VK_SUCCESS)
            return result;
    }
    return result;
}

VkResult MemoryAllocator::allocateFromType(uint32_t memoryType, const VkMemoryRequirements &requirements,
                                           bool dedicated, const VkMemoryDedicatedAllocateInfo *dedicatedInfo,
                                           const MemoryAllocationCreateInfo &createInfo, MemoryAllocation **allocation)
{
    const VkDeviceSize heapSize =
            m_memoryProperties.memoryHeaps[m_memoryProperties.memoryTypes[memoryType].heapIndex].size;
    if (requirements.size > heapSize)
        return VK_ERROR_OUT_OF_DEVICE_MEMORY; // Vulkan forbids asking for more than the heap holds

    const VkDeviceSize blockSize =
            m_preferredBlockSize != 0 ? m_preferredBlockSize : std::min(DefaultLargestBlockSize, heapSize / 8);
    const VkDeviceSize alignment = std::max(requirements.alignment, m_bufferImageGranularity);
    const VkDeviceSize reserved = alignUp(requirements.size, m_bufferImageGranularity);
    const bool exported = static_cast<bool>(createInfo.exportHandleTypes);
    const bool ownBlock = dedicated || exported || reserved > blockSize / 2;

    MemoryBlock *block = nullptr;
    VkDeviceSize offset = 0;
    if (ownBlock) {
        const VkResult result =
                newBlock(memoryType, requirements.size, true, dedicatedInfo, createInfo.exportHandleTypes, &block);
        if (result != VK_SUCCESS)
            return result;
        block->freeRanges.clear();
    } else {
        // First fit in an existing block of this type.
        for (const auto &candidate : m_blocks) {
            if (candidate->dedicated || candidate->memoryType != memoryType)
                continue;
            for (const auto &[rangeOffset, rangeSize] : candidate->freeRanges) {
                const VkDeviceSize aligned = alignUp(rangeOffset, alignment);
                if (aligned + reserved <= rangeOffset + rangeSize) {
                    block = candidate.get();
                    offset = aligned;
                    break;
                }
            }
            if (block)
                break;
        }
        if (!block) {
            // A new shared block; when the driver refuses the full size, smaller ones are tried.
            VkResult result = VK_ERROR_OUT_OF_DEVICE_MEMORY;
            for (VkDeviceSize size = blockSize; size >= reserved; size /= 2) {
                result = newBlock(memoryType, size, false, nullptr, {}, &block);
                if (result == VK_SUCCESS || size / 2 < reserved)
                    break;
            }
            if (result != VK_SUCCESS)
                return result;
            offset = 0;
        }
        // Cut [offset, offset + reserved) out of the free range that holds it.
        auto range = std::prev(block->freeRanges.upper_bound(offset));
        const VkDeviceSize rangeOffset = range->first;
        const VkDeviceSize rangeEnd = range->first + range->second;
        block->freeRanges.erase(range);
        if (offset > rangeOffset)
            block->freeRanges.emplace(rangeOffset, offset - rangeOffset);
        if (offset + reserved < rangeEnd)
            block->freeRanges.emplace(offset + reserved, rangeEnd - offset - reserved);
    }

    auto *result = new MemoryAllocation();
    result->m_block = block;
    result->m_offset = offset;
    result->m_size = requirements.size;
    result->m_reservedSize = ownBlock ? block->size : reserved;
    ++block->allocationCount;
    ++m_statistics.allocationCount;
    m_statistics.allocationBytes += requirements.size;
    *allocation = result;
    return VK_SUCCESS;
}

VkResult MemoryAllocator::newBlock(uint32_t memoryType, VkDeviceSize size, bool dedicated,
                                   const VkMemoryDedicatedAllocateInfo *dedicatedInfo,
                                   ExternalMemoryHandleTypeFlags exportHandleTypes, MemoryBlock **block)
{
    if (m_maxMemoryAllocationCount != 0 && m_statistics.blockCount >= m_maxMemoryAllocationCount)
        return VK_ERROR_TOO_MANY_OBJECTS;

    VkMemoryAllocateInfo allocateInfo{ VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO };
    allocateInfo.allocationSize = size;
    allocateInfo.memoryTypeIndex = memoryType;
    VkExportMemoryAllocateInfo exportInfo{ VK_STRUCTURE_TYPE_EXPORT_MEMORY_ALLOCATE_INFO };
    VkMemoryDedicatedAllocateInfo dedicatedCopy{};
    const void **next = &allocateInfo.pNext;
    if (dedicated && dedicatedInfo) {
        dedicatedCopy = *dedicatedInfo;
        dedicatedCopy.pNext = nullptr;
        *next = &dedicatedCopy;
        next = const_cast<const void **>(&dedicatedCopy.pNext);
    }
    if (exportHandleTypes) {
        exportInfo.handleTypes = exportHandleTypes.toInt();
        *next = &exportInfo;
    }

    VkDeviceMemory memory = VK_NULL_HANDLE;
    const VkResult result = vkAllocateMemory(m_device, &allocateInfo, nullptr, &memory);
    if (result != VK_SUCCESS)
        return result;

    auto newBlock = std::make_unique<MemoryBlock>();
    newBlock->memory = memory;
    newBlock->size = size;
    newBlock->memoryType = memoryType;
    newBlock->dedicated = dedicated;
    newBlock->freeRanges.emplace(0, size);
    *block = newBlock.get();
    m_blocks.push_back(std::move(newBlock));
    ++m_statistics.blockCount;
    m_statistics.blockBytes += size;
    if (dedicated)
        ++m_statistics.dedicatedBlockCount;
    return VK_SUCCESS;
}

void MemoryAllocator::free(MemoryAllocation *allocation)
{
    MemoryBlock *block = allocation->m_block;
    if (allocation->m_mapCount != 0) {
        // Destroyed while mapped: drop its share of the block's mapping.
        block->mapCount -= allocation->m_mapCount;
        if (block->mapCount == 0 && block->mapped) {
            vkUnmapMemory(m_device, block->memory);
            block->mapped = nullptr;
        }
    }
    if (!block->dedicated) {
        VkDeviceSize offset = allocation->m_offset;
        VkDeviceSize size = allocation->m_reservedSize;
        auto next = block->freeRanges.lower_bound(offset);
        if (next != block->freeRanges.end() && next->first == offset + size) {
            size += next->second;
            next = block->freeRanges.erase(next);
        }
        if (next != block->freeRanges.begin()) {
            auto previous = std::prev(next);
            if (previous->first + previous->second == offset) {
                offset = previous->first;
                size += previous->second;
                block->freeRanges.erase(previous);
            }
        }
        block->freeRanges.emplace(offset, size);
    }
    --block->allocationCount;
    --m_statistics.allocationCount;
    m_statistics.allocationBytes -= allocation->m_size;
    delete allocation;
    if (block->allocationCount == 0)
        releaseBlock(block);
}

void MemoryAllocator::releaseBlock(MemoryBlock *block)
{
    if (block->mapped)
        vkUnmapMemory(m_device, block->memory);
    vkFreeMemory(m_device, block->memory, nullptr);
    --m_statistics.blockCount;
    m_statistics.blockBytes -= block->size;
    if (block->dedicated)
        --m_statistics.dedicatedBlockCount;
    std::erase_if(m_blocks, [block](const auto &candidate) { return candidate.get() == block; });
}

VkResult MemoryAllocator::map(MemoryAllocation *allocation, void **data)
{
    *data = nullptr;
    MemoryBlock *block = allocation->m_block;
    const VkMemoryPropertyFlags flags = m_memoryProperties.memoryTypes[block->memoryType].propertyFlags;
    if ((flags & VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT) == 0)
        return VK_ERROR_MEMORY_MAP_FAILED;
    if (block->mapCount == 0) {
        const VkResult result = vkMapMemory(m_device, block->memory, 0, VK_WHOLE_SIZE, 0, &block->mapped);
        if (result != VK_SUCCESS) {
            block->mapped = nullptr;
            return result;
        }
    }
    ++block->mapCount;
    ++allocation->m_mapCount;
    *data = static_cast<char *>(block->mapped) + allocation->m_offset;
    return VK_SUCCESS;
}

void MemoryAllocator::unmap(MemoryAllocation *allocation)
{
    if (allocation->m_mapCount == 0)
        return;
    MemoryBlock *block = allocation->m_block;
    --allocation->m_mapCount;
    if (--block->mapCount == 0) {
        vkUnmapMemory(m_device, block->memory);
        block->mapped = nullptr;
    }
}

VkResult MemoryAllocator::flush(MemoryAllocation *allocation, VkDeviceSize offset, VkDeviceSize size)
{
    return flushOrInvalidate(allocation, offset, size, true);
}

VkResult MemoryAllocator::invalidate(MemoryAllocation *allocation, VkDeviceSize offset, VkDeviceSize size)
{
    return flushOrInvalidate(allocation, offset, size, false);
}

VkResult MemoryAllocator::flushOrInvalidate(MemoryAllocation *allocation, VkDeviceSize offset, VkDeviceSize size,
                                            bool flush)
{
    MemoryBlock *block = allocation->m_block;
    const VkMemoryPropertyFlags flags = m_memoryProperties.memoryTypes[block->memoryType].propertyFlags;
    if ((flags & VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT) == 0 || (flags & VK_MEMORY_PROPERTY_HOST_COHERENT_BIT) != 0)
        return VK_SUCCESS; // nothing to do for device-only or coherent memory
    if (offset >= allocation->m_size)
        return VK_SUCCESS;

    const BlockRange blockRange = nonCoherentRange(allocation->m_offset, allocation->m_size, offset, size,
                                                   m_nonCoherentAtomSize, block->size);
    VkMappedMemoryRange range{ VK_STRUCTURE_TYPE_MAPPED_MEMORY_RANGE };
    range.memory = block->memory;
    range.offset = blockRange.offset;
    range.size = blockRange.size;

    // The range must lie in mapped memory: map the block for the call when nobody has.
    void *data = nullptr;
    const bool mapForCall = block->mapCount == 0;
    if (mapForCall) {
        const VkResult result = map(allocation, &data);
        if (result != VK_SUCCESS)
            return result;
    }
    const VkResult result = flush ? vkFlushMappedMemoryRanges(m_device, 1, &range)
                                  : vkInvalidateMappedMemoryRanges(m_device, 1, &range);
    if (mapForCall)
        unmap(allocation);
    return result;
}

MemoryAllocator::BlockRange MemoryAllocator::nonCoherentRange(VkDeviceSize allocationOffset,
                                                              VkDeviceSize allocationSize, VkDeviceSize offset,
                                                              VkDeviceSize size, VkDeviceSize atomSize,
                                                              VkDeviceSize blockSize)
{
    const VkDeviceSize allocationEnd = allocationOffset + allocationSize;
    const VkDeviceSize start = std::min(allocationEnd, allocationOffset + offset);
    const VkDeviceSize end = size == VK_WHOLE_SIZE ? allocationEnd : std::min(allocationEnd, start + size);
    BlockRange range;
    range.offset = alignDown(start, atomSize);
    range.size = std::min(alignUp(end, atomSize), blockSize) - range.offset;
    return range;
}

MemoryAllocationInfo MemoryAllocator::allocationInfo(const MemoryAllocation *allocation) const
{
    MemoryAllocationInfo info;
    if (!allocation)
        return info;
    info.memoryType = allocation->m_block->memoryType;
    info.propertyFlags = m_memoryProperties.memoryTypes[info.memoryType].propertyFlags;
    info.deviceMemory = allocation->m_block->memory;
    info.offset = allocation->m_offset;
    info.size = allocation->m_size;
    return info;
}

} // namespace TbGpu
