#include "vulkan/memory_allocator.h"
#include "vulkan_test_rig.h"

#include <cstring>
#include <random>

using namespace TbGpu;
using TbGpuTest::VulkanTestRig;

namespace {

// A typical discrete GPU: device-local VRAM, host-visible coherent system memory, host-cached system memory,
// and a small device-local host-visible window.
VkPhysicalDeviceMemoryProperties discreteGpuMemory()
{
    VkPhysicalDeviceMemoryProperties properties{};
    properties.memoryHeapCount = 2;
    properties.memoryHeaps[0] = { 8ull << 30, VK_MEMORY_HEAP_DEVICE_LOCAL_BIT };
    properties.memoryHeaps[1] = { 16ull << 30, 0 };
    properties.memoryTypeCount = 4;
    properties.memoryTypes[0] = { VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT, 0 };
    properties.memoryTypes[1] = { VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT, 1 };
    properties.memoryTypes[2] = { VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT |
                                          VK_MEMORY_PROPERTY_HOST_CACHED_BIT,
                                  1 };
    properties.memoryTypes[3] = { VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT | VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT |
                                          VK_MEMORY_PROPERTY_HOST_COHERENT_BIT,
                                  0 };
    return properties;
}

} // namespace

TEST(MemoryTypeChoiceTest, FollowsTheUsage)
{
    const VkPhysicalDeviceMemoryProperties memory = discreteGpuMemory();
    struct Case {
        MemoryUsage usage;
        uint32_t typeBits;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        { MemoryUsage::GpuOnly, 0xF, { 0, 3, 1, 2 } },
        { MemoryUsage::CpuOnly, 0xF, { 1, 2, 3 } },
        { MemoryUsage::CpuToGpu, 0xF, { 3, 1, 2 } },
        { MemoryUsage::GpuToCpu, 0xF, { 2, 1, 3 } },
        { MemoryUsage::CpuCopy, 0xF, { 1, 2, 3 } },
        { MemoryUsage::GpuLazilyAllocated, 0xF, {} },
        { MemoryUsage::Unknown, 0xF, { 0, 1, 2, 3 } },
        { MemoryUsage::CpuToGpu, 0x1, {} }, // the resource only fits device-local memory the host cannot reach
        { MemoryUsage::GpuOnly, 0x6, { 1, 2 } },
    };
    for (const Case &c : cases)
        EXPECT_EQ(MemoryAllocator::rankMemoryTypes(memory, c.typeBits, c.usage), c.expected)
                << static_cast<int>(c.usage) << " bits " << c.typeBits;
}

TEST(NonCoherentRangeTest, WidensToAtomsInsideTheBlock)
{
    using Range = MemoryAllocator::BlockRange;
    struct Case {
        VkDeviceSize allocationOffset, allocationSize, offset, size, atom, blockSize;
        Range expected;
    };
    const Case cases[] = {
        { 256, 100, 0, VK_WHOLE_SIZE, 64, 4096, { 256, 128 } }, // whole allocation, end rounded up
        { 300, 100, 0, VK_WHOLE_SIZE, 64, 4096, { 256, 192 } }, // start rounded down too
        { 256, 1000, 10, 20, 64, 4096, { 256, 64 } }, // a small range inside one atom
        { 4000, 90, 0, VK_WHOLE_SIZE, 64, 4090, { 3968, 122 } }, // clamped to the end of the block
        { 0, 100, 50, 1000, 64, 4096, { 0, 128 } }, // a range past the allocation stops at its end
        { 128, 64, 0, VK_WHOLE_SIZE, 1, 4096, { 128, 64 } }, // atom 1 changes nothing
    };
    for (const Case &c : cases)
        EXPECT_EQ(MemoryAllocator::nonCoherentRange(c.allocationOffset, c.allocationSize, c.offset, c.size, c.atom,
                                                    c.blockSize),
                  c.expected)
                << c.allocationOffset << "+" << c.offset;
}

class MemoryAllocatorTest : public VulkanTestRig
{
protected:
    // An allocator of its own with small blocks, so block growth and merging show with few resources.
    std::unique_ptr<MemoryAllocator> smallBlockAllocator()
    {
        MemoryAllocator::CreateInfo info;
        info.physicalDevice = manager()->getAdapter(adapter->handle())->physicalDevice;
        info.device = deviceRecord()->device;
        info.preferredBlockSize = 64 * 1024;
        std::unique_ptr<MemoryAllocator> allocator;
        EXPECT_EQ(MemoryAllocator::create(info, allocator), VK_SUCCESS);
        return allocator;
    }

    struct TestBuffer {
        VkBuffer buffer{ VK_NULL_HANDLE };
        MemoryAllocation *allocation{ nullptr };
    };

    TestBuffer create(MemoryAllocator &allocator, VkDeviceSize size, MemoryUsage usage = MemoryUsage::CpuToGpu)
    {
        VkBufferCreateInfo info{ VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO };
        info.size = size;
        info.usage = VK_BUFFER_USAGE_STORAGE_BUFFER_BIT;
        info.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
        TestBuffer buffer;
        EXPECT_EQ(allocator.createBuffer(info, { usage, {} }, &buffer.buffer, &buffer.allocation), VK_SUCCESS);
        return buffer;
    }
};

TEST_F(MemoryAllocatorTest, BlocksGrowMergeFreedRangesAndGoAwayWhenEmpty)
{
    auto allocator = smallBlockAllocator();
    std::vector<TestBuffer> buffers;
    for (int i = 0; i < 4; ++i)
        buffers.push_back(create(*allocator, 16 * 1024));
    EXPECT_EQ(allocator->statistics().blockCount, 1u) << "four 16 KiB buffers fill one 64 KiB block";
    buffers.push_back(create(*allocator, 16 * 1024));
    EXPECT_EQ(allocator->statistics().blockCount, 2u) << "the fifth opens a second block";

    const VkDeviceSize secondOffset = allocator->allocationInfo(buffers[1].allocation).offset;
    const VkDeviceMemory firstBlock = allocator->allocationInfo(buffers[1].allocation).deviceMemory;
    allocator->destroyBuffer(buffers[1].buffer, buffers[1].allocation);
    allocator->destroyBuffer(buffers[2].buffer, buffers[2].allocation);
    const TestBuffer merged = create(*allocator, 32 * 1024);
    EXPECT_EQ(allocator->allocationInfo(merged.allocation).deviceMemory, firstBlock);
    EXPECT_EQ(allocator->allocationInfo(merged.allocation).offset, secondOffset) << "the two freed ranges merged";
    EXPECT_EQ(allocator->statistics().blockCount, 2u);

    allocator->destroyBuffer(buffers[4].buffer, buffers[4].allocation);
    EXPECT_EQ(allocator->statistics().blockCount, 1u) << "an empty block is given back at once";

    const TestBuffer large = create(*allocator, 40 * 1024);
    EXPECT_EQ(allocator->statistics().dedicatedBlockCount, 1u) << "more than half a block gets its own memory";

    for (const TestBuffer &buffer : { buffers[0], buffers[3], merged, large })
        allocator->destroyBuffer(buffer.buffer, buffer.allocation);
    const MemoryAllocatorStatistics statistics = allocator->statistics();
    EXPECT_EQ(statistics.allocationCount, 0u);
    EXPECT_EQ(statistics.allocationBytes, 0u);
    EXPECT_EQ(statistics.blockCount, 0u);
    EXPECT_EQ(statistics.blockBytes, 0u);
    EXPECT_EQ(statistics.dedicatedBlockCount, 0u);
}

TEST_F(MemoryAllocatorTest, MappingIsCountedPerBlock)
{
    auto allocator = smallBlockAllocator();
    const TestBuffer a = create(*allocator, 1024);
    const TestBuffer b = create(*allocator, 1024);
    void *pa = nullptr;
    void *pb = nullptr;
    ASSERT_EQ(allocator->map(a.allocation, &pa), VK_SUCCESS);
    ASSERT_EQ(allocator->map(b.allocation, &pb), VK_SUCCESS);
    EXPECT_EQ(static_cast<char *>(pb) - static_cast<char *>(pa),
              static_cast<std::ptrdiff_t>(allocator->allocationInfo(b.allocation).offset -
                                          allocator->allocationInfo(a.allocation).offset))
            << "one mapping of the block serves both";
    allocator->unmap(a.allocation);
    std::memset(pb, 0xAB, 1024); // b's mapping is still good
    EXPECT_EQ(allocator->flush(b.allocation, 0, VK_WHOLE_SIZE), VK_SUCCESS);
    EXPECT_EQ(allocator->invalidate(b.allocation, 16, 32), VK_SUCCESS);
    allocator->unmap(b.allocation);
    allocator->unmap(b.allocation); // unmapping more often than mapping is harmless
    EXPECT_EQ(allocator->flush(a.allocation, 0, VK_WHOLE_SIZE), VK_SUCCESS) << "flushing unmapped memory is fine";

    void *again = nullptr;
    ASSERT_EQ(allocator->map(a.allocation, &again), VK_SUCCESS);
    allocator->destroyBuffer(a.buffer, a.allocation); // destroyed while mapped: its share of the mapping goes too
    allocator->destroyBuffer(b.buffer, b.allocation);
    EXPECT_EQ(allocator->statistics().blockCount, 0u);
}

TEST_F(MemoryAllocatorTest, ImagesAndBuffersShareBlocksWithoutSharingGranularityPages)
{
    auto allocator = smallBlockAllocator();
    const TestBuffer buffer = create(*allocator, 100, MemoryUsage::GpuOnly);
    VkImageCreateInfo imageInfo{ VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO };
    imageInfo.imageType = VK_IMAGE_TYPE_2D;
    imageInfo.format = VK_FORMAT_R8G8B8A8_UNORM;
    imageInfo.extent = { 8, 8, 1 };
    imageInfo.mipLevels = 1;
    imageInfo.arrayLayers = 1;
    imageInfo.samples = VK_SAMPLE_COUNT_1_BIT;
    imageInfo.tiling = VK_IMAGE_TILING_OPTIMAL;
    imageInfo.usage = VK_IMAGE_USAGE_SAMPLED_BIT;
    VkImage image = VK_NULL_HANDLE;
    MemoryAllocation *imageAllocation = nullptr;
    ASSERT_EQ(allocator->createImage(imageInfo, { MemoryUsage::GpuOnly, {} }, &image, &imageAllocation), VK_SUCCESS);

    const VkDeviceSize granularity = adapter->properties().limits.bufferImageGranularity;
    const MemoryAllocationInfo bufferInfo = allocator->allocationInfo(buffer.allocation);
    const MemoryAllocationInfo imageInfoOut = allocator->allocationInfo(imageAllocation);
    if (bufferInfo.deviceMemory == imageInfoOut.deviceMemory) {
        const VkDeviceSize bufferLastPage = (bufferInfo.offset + bufferInfo.size - 1) / granularity;
        const VkDeviceSize imagePage = imageInfoOut.offset / granularity;
        EXPECT_LT(bufferLastPage, imagePage);
    }
    allocator->destroyImage(image, imageAllocation);
    allocator->destroyBuffer(buffer.buffer, buffer.allocation);
    EXPECT_EQ(allocator->statistics().allocationCount, 0u);
}

TEST_F(MemoryAllocatorTest, RandomCreateAndDestroyNeverOverlapsAndEndsEmpty)
{
    auto allocator = smallBlockAllocator();
    std::mt19937 random(1234);
    std::vector<TestBuffer> live;
    for (int step = 0; step < 600; ++step) {
        const bool create = live.empty() || (live.size() < 40 && random() % 3 != 0);
        if (create) {
            const VkDeviceSize size = 1 + random() % (40 * 1024); // some exceed half a block: dedicated
            live.push_back(this->create(*allocator, size));
        } else {
            const size_t index = random() % live.size();
            allocator->destroyBuffer(live[index].buffer, live[index].allocation);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
        }
        // No two live allocations of the same memory overlap (the validation layer checks each bind's alignment).
        std::vector<MemoryAllocationInfo> infos;
        for (const TestBuffer &buffer : live)
            infos.push_back(allocator->allocationInfo(buffer.allocation));
        for (size_t i = 0; i < infos.size(); ++i) {
            for (size_t j = i + 1; j < infos.size(); ++j) {
                if (infos[i].deviceMemory != infos[j].deviceMemory)
                    continue;
                const bool disjoint = infos[i].offset + infos[i].size <= infos[j].offset ||
                        infos[j].offset + infos[j].size <= infos[i].offset;
                ASSERT_TRUE(disjoint) << "step " << step;
            }
        }
        ASSERT_EQ(allocator->statistics().allocationCount, live.size());
    }
    for (const TestBuffer &buffer : live)
        allocator->destroyBuffer(buffer.buffer, buffer.allocation);
    EXPECT_EQ(allocator->statistics().allocationCount, 0u);
    EXPECT_EQ(allocator->statistics().blockCount, 0u);
    EXPECT_EQ(allocator->statistics().blockBytes, 0u);
}
