#include "vulkan/vulkan_one_shot_commands.h"
#include "vulkan_test_rig.h"

#include <cstring>
#include <numeric>
#include <unistd.h>
#include <vector>

using namespace TbGpu;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

class BufferTest : public VulkanTestRig
{
protected:
    void TearDown() override
    {
        const MemoryAllocatorStatistics statistics = allocatorStatistics();
        EXPECT_EQ(statistics.allocationCount, 0u) << "every buffer was destroyed";
        EXPECT_EQ(statistics.allocationBytes, 0u);
        EXPECT_EQ(statistics.blockCount, 0u) << "empty blocks are given back";
        EXPECT_EQ(statistics.blockBytes, 0u);
        VulkanTestRig::TearDown();
    }

    static std::vector<uint32_t> pattern(size_t count, uint32_t seed)
    {
        std::vector<uint32_t> words(count);
        for (size_t i = 0; i < count; ++i)
            words[i] = seed * 2654435761u + static_cast<uint32_t>(i);
        return words;
    }

    // Reads a buffer back through a GPU copy into a host-visible buffer.
    std::vector<uint32_t> readBack(const Buffer &source, size_t words)
    {
        Buffer target = device.createBuffer({ words * 4, BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuToCpu });
        EXPECT_TRUE(target.isValid());
        const VkBuffer src = manager()->getBuffer(source.handle())->buffer;
        const VkBuffer dst = manager()->getBuffer(target.handle())->buffer;
        EXPECT_EQ(copyBufferNow(*manager(), device.handle(), src, dst, words * 4), VK_SUCCESS);
        target.invalidate();
        std::vector<uint32_t> result(words);
        const void *mapped = target.map();
        EXPECT_NE(mapped, nullptr);
        if (mapped)
            std::memcpy(result.data(), mapped, words * 4);
        target.unmap();
        return result;
    }
};

TEST_F(BufferTest, CpuVisibleBufferIsWrittenFlushedAndReadBack)
{
    const auto data = pattern(1024, 1);
    Buffer buffer =
            device.createBuffer({ 4096, BufferUsageFlagBits::UniformBufferBit | BufferUsageFlagBits::TransferSrcBit,
                                  MemoryUsage::CpuToGpu });
    ASSERT_TRUE(buffer.isValid());
    void *mapped = buffer.map();
    ASSERT_NE(mapped, nullptr);
    std::memcpy(mapped, data.data(), 4096);
    buffer.flush();
    buffer.unmap();
    EXPECT_EQ(manager()->getBuffer(buffer.handle())->mapped, nullptr);

    EXPECT_EQ(readBack(buffer, 1024), data) << "the device sees what the host wrote";

    buffer.invalidate();
    const auto *again = static_cast<const uint32_t *>(buffer.map());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(again, again + 1024), data);
    buffer.unmap();
}

TEST_F(BufferTest, InitialDataOfAHostBufferIsCopiedAndLeftUnmapped)
{
    const auto data = pattern(64, 2);
    Buffer buffer =
            device.createBuffer({ 256, BufferUsageFlagBits::VertexBufferBit, MemoryUsage::CpuToGpu }, data.data());
    ASSERT_TRUE(buffer.isValid());
    EXPECT_EQ(manager()->getBuffer(buffer.handle())->mapped, nullptr);
    const auto *mapped = static_cast<const uint32_t *>(buffer.map());
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(mapped, mapped + 64), data);
    buffer.unmap();
}

TEST_F(BufferTest, GpuOnlyBufferFilledFromInitialDataReadsBackThroughACopy)
{
    const auto data = pattern(4096, 3);
    Buffer buffer =
            device.createBuffer({ 16384, BufferUsageFlagBits::StorageBufferBit | BufferUsageFlagBits::TransferSrcBit,
                                  MemoryUsage::GpuOnly },
                                data.data());
    ASSERT_TRUE(buffer.isValid());
    EXPECT_EQ(readBack(buffer, 4096), data);
}

TEST_F(BufferTest, MappingTwiceMapsOnceAndUnmappingAnUnmappedBufferDoesNothing)
{
    Buffer buffer = device.createBuffer({ 128, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuOnly });
    buffer.unmap(); // nothing mapped: nothing happens
    void *first = buffer.map();
    void *second = buffer.map();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    buffer.unmap();
    buffer.unmap();
    EXPECT_EQ(manager()->getBuffer(buffer.handle())->mapped, nullptr);

    Buffer invalid;
    EXPECT_EQ(invalid.map(), nullptr);
    invalid.unmap();
    invalid.flush();
}

TEST_F(BufferTest, AbsurdSizeGivesAnInvalidHandleAndALogLine)
{
    LogCapture log;
    const auto data = pattern(4, 4);
    Buffer buffer = device.createBuffer(
            { uint64_t{ 1 } << 50, BufferUsageFlagBits::StorageBufferBit, MemoryUsage::GpuOnly }, data.data());
    EXPECT_FALSE(buffer.isValid());
    EXPECT_TRUE(log.containsPrefix(spdlog::level::err, "Error when creating buffer: -"));
    EXPECT_EQ(buffer.map(), nullptr);
}

TEST_F(BufferTest, MovingABufferDeletesTheTargetFirst)
{
    Buffer a = device.createBuffer({ 64, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu });
    Buffer b = device.createBuffer({ 64, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu });
    const Handle<Buffer_t> aHandle = a.handle();
    const Handle<Buffer_t> bHandle = b.handle();
    EXPECT_EQ(allocatorStatistics().allocationCount, 2u);

    a = std::move(b);
    EXPECT_EQ(manager()->getBuffer(aHandle), nullptr) << "the target's buffer went first";
    EXPECT_EQ(a.handle(), bHandle);
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(allocatorStatistics().allocationCount, 1u);

    Buffer c(std::move(a));
    EXPECT_EQ(c.handle(), bHandle);
    EXPECT_FALSE(a.isValid());
    a = Buffer{}; // destroying or overwriting moved-from objects deletes nothing
    EXPECT_NE(manager()->getBuffer(bHandle), nullptr);
    EXPECT_EQ(allocatorStatistics().allocationCount, 1u);
}

TEST_F(BufferTest, SmallBuffersShareABlockAndFreedRangesAreReused)
{
    std::vector<Buffer> buffers;
    for (int i = 0; i < 8; ++i)
        buffers.push_back(device.createBuffer({ 1000, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu }));
    MemoryAllocatorStatistics statistics = allocatorStatistics();
    EXPECT_EQ(statistics.allocationCount, 8u);
    EXPECT_EQ(statistics.blockCount, 1u) << "sub-allocated from one block";
    EXPECT_EQ(statistics.dedicatedBlockCount, 0u);

    const MemoryAllocator &allocator = *deviceRecord()->allocator;
    const MemoryAllocation *third = manager()->getBuffer(buffers[2].handle())->allocation;
    const VkDeviceSize thirdOffset = allocator.allocationInfo(third).offset;
    std::vector<VkDeviceSize> offsets;
    for (const Buffer &buffer : buffers)
        offsets.push_back(allocator.allocationInfo(manager()->getBuffer(buffer.handle())->allocation).offset);
    std::sort(offsets.begin(), offsets.end());
    EXPECT_EQ(std::adjacent_find(offsets.begin(), offsets.end()), offsets.end()) << "no two buffers overlap";

    buffers[2] = {};
    Buffer refill = device.createBuffer({ 1000, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu });
    EXPECT_EQ(allocator.allocationInfo(manager()->getBuffer(refill.handle())->allocation).offset, thirdOffset)
            << "first fit takes the freed range";

    Buffer big = device.createBuffer({ 48ull << 20, BufferUsageFlagBits::StorageBufferBit, MemoryUsage::GpuOnly });
    ASSERT_TRUE(big.isValid());
    statistics = allocatorStatistics();
    EXPECT_EQ(statistics.dedicatedBlockCount, 1u) << "large resources get memory of their own";
    EXPECT_EQ(statistics.allocationBytes, 8u * 1000u + (48ull << 20));
}

TEST_F(BufferTest, ExportedMemoryGivesAFileDescriptorWhenTheDeviceCanExport)
{
    DeviceOptions options;
    options.extensions = { VK_KHR_EXTERNAL_MEMORY_FD_EXTENSION_NAME };
    Device exporting = adapter->createDevice(options);
    ASSERT_TRUE(exporting.isValid());
    if (!manager()->getDevice(exporting.handle())->vkGetMemoryFdKHR)
        GTEST_SKIP() << "the adapter cannot export memory as file descriptors";

    BufferOptions bufferOptions{ 4096, BufferUsageFlagBits::StorageBufferBit, MemoryUsage::GpuOnly };
    bufferOptions.externalMemoryHandleType = ExternalMemoryHandleTypeFlagBits::OpaqueFdBit;
    Buffer exported = exporting.createBuffer(bufferOptions);
    ASSERT_TRUE(exported.isValid());
    const MemoryHandle handle = exported.externalMemoryHandle();
    ASSERT_TRUE(std::holds_alternative<FileDescriptorHandle>(handle));
    const int fd = std::get<FileDescriptorHandle>(handle).fd;
    EXPECT_GE(fd, 0);
    close(fd); // the receiver owns the descriptor

    Buffer plain = device.createBuffer({ 64, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu });
    EXPECT_TRUE(std::holds_alternative<std::monostate>(plain.externalMemoryHandle())) << "no export asked";
}

TEST_F(BufferTest, ZeroSizeIsRefusedBeforeReachingVulkan)
{
    LogCapture log;
    const uint32_t word = 7;
    Buffer buffer = device.createBuffer({ 0, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu }, &word);
    EXPECT_FALSE(buffer.isValid());
    EXPECT_TRUE(log.contains(spdlog::level::err, "Error when creating buffer: size must be greater than 0"));
}
