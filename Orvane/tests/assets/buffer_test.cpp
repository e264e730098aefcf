#include "asset_test_support.h"

#include <Orvane/assets/buffer.h>

#include <gtest/gtest.h>

using namespace Orvane;
using TbGpu::BufferUsageFlagBits;
using TbGpu::BufferUsageFlags;
using TbGpu::MemoryUsage;

namespace {

struct BufferFixture : ::testing::Test {
    Buffer buffer;
    int changes = 0;
    uint64_t sizeSeenAtChange = 0;

    BufferFixture()
    {
        buffer.changed.connect([this](Buffer *emitter) {
            EXPECT_EQ(emitter, &buffer);
            ++changes;
            sizeSeenAtChange = buffer.size.get();
        });
    }
};

TEST_F(BufferFixture, HostVisibleNeedsCpuMemoryAndATransferBit)
{
    EXPECT_FALSE(buffer.hostVisible.get());
    buffer.memoryUsage = MemoryUsage::CpuToGpu;
    EXPECT_FALSE(buffer.hostVisible.get());
    buffer.usage = BufferUsageFlags(BufferUsageFlagBits::TransferDstBit);
    EXPECT_TRUE(buffer.hostVisible.get());
    buffer.memoryUsage = MemoryUsage::GpuOnly;
    EXPECT_FALSE(buffer.hostVisible.get());
    EXPECT_THROW(buffer.hostVisible = true, TbBindings::ReadOnlyProperty);
}

TEST(BufferHostVisibility, EveryMemoryKindAndUsageCombination)
{
    const BufferUsageFlags src(BufferUsageFlagBits::TransferSrcBit);
    const BufferUsageFlags dst(BufferUsageFlagBits::TransferDstBit);
    const BufferUsageFlags uniform(BufferUsageFlagBits::UniformBufferBit);
    for (uint32_t memory = 0; memory <= 6; ++memory) {
        const bool cpuReachable = memory >= 2 && memory <= 4;
        SCOPED_TRACE(memory);
        EXPECT_EQ(Buffer::isHostVisible(MemoryUsage(memory), src), cpuReachable);
        EXPECT_EQ(Buffer::isHostVisible(MemoryUsage(memory), dst | uniform), cpuReachable);
        EXPECT_FALSE(Buffer::isHostVisible(MemoryUsage(memory), uniform));
        EXPECT_FALSE(Buffer::isHostVisible(MemoryUsage(memory), {}));
    }
}

TEST_F(BufferFixture, EachRelevantPropertyAnnouncesOneChange)
{
    buffer.memoryUsage = MemoryUsage::CpuOnly;
    EXPECT_EQ(changes, 1);
    // hostVisible follows (true now) without a change of its own.
    buffer.usage = BufferUsageFlags(BufferUsageFlagBits::TransferSrcBit);
    EXPECT_EQ(changes, 2);
    buffer.size = 64u;
    EXPECT_EQ(changes, 3);
    buffer.exportMemory = true;
    EXPECT_EQ(changes, 4);
    buffer.externalMemoryHandle = TbGpu::MemoryHandle(TbGpu::FileDescriptorHandle{ 5 });
    EXPECT_EQ(changes, 4);
    buffer.size = 64u;
    EXPECT_EQ(changes, 4) << "an equal value is no change";
}

TEST_F(BufferFixture, LongerDataRaisesSizeBeforeTheSingleChange)
{
    buffer.size = 64u;
    changes = 0;
    buffer.data = std::vector<uint8_t>(100, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sizeSeenAtChange, 100u);
    buffer.data = std::vector<uint8_t>(10, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(buffer.size.get(), 100u) << "size never shrinks by itself";
    buffer.data = std::vector<uint8_t>(10, 2);
    EXPECT_EQ(changes, 2) << "equal data is no change";
}

TEST_F(BufferFixture, DataLongerThanABoundSizeThrows)
{
    TbBindings::Property<uint64_t> fixedSize{ 8u };
    buffer.size = TbBindings::createBinding(fixedSize);
    changes = 0;
    EXPECT_THROW(buffer.data = std::vector<uint8_t>(16, 0), TbBindings::ReadOnlyProperty);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(buffer.size.get(), 8u);
    // A later size change is announced again.
    fixedSize = 32u;
    EXPECT_EQ(changes, 1);
}

TEST_F(BufferFixture, MapperOnABufferThatIsNotHostVisibleWarns)
{
    Orvane::Test::LogCapture log;
    int calls = 0;
    buffer.dataMapper = Buffer::Mapper([&](void *) { ++calls; });
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(log.count("Setting Mapper should only be done on a host visible buffer"), 1);
    EXPECT_TRUE(log.contains("warning"));

    log.clear();
    buffer.memoryUsage = MemoryUsage::CpuToGpu;
    buffer.usage = BufferUsageFlags(BufferUsageFlagBits::TransferDstBit);
    const Buffer::Mapper mapper([&](void *address) {
        *static_cast<int *>(address) = 7;
        ++calls;
    });
    buffer.dataMapper = mapper;
    EXPECT_EQ(changes, 4);
    EXPECT_FALSE(log.contains("Setting Mapper"));

    buffer.dataMapper = mapper;
    EXPECT_EQ(changes, 4) << "a copy of the same mapper is equal";
    int target = 0;
    buffer.dataMapper.get()(&target);
    EXPECT_EQ(target, 7);
    EXPECT_EQ(calls, 1);
}

TEST(BufferMapper, EmptyMappersAreEqualAndDoNothing)
{
    Buffer::Mapper empty;
    EXPECT_FALSE(empty.hasCallable());
    EXPECT_EQ(empty, Buffer::Mapper());
    EXPECT_EQ(empty, Buffer::Mapper(Buffer::Mapper::Callable()));
    empty(nullptr);
    const Buffer::Mapper a([](void *) {});
    const Buffer::Mapper b([](void *) {});
    EXPECT_NE(a, b);
    EXPECT_EQ(a, Buffer::Mapper(a));
}

TEST(BufferLifetime, DestroyedIsAnnouncedFirst)
{
    auto buffer = std::make_unique<Buffer>();
    Buffer *seen = nullptr;
    buffer->destroyed.connect([&](Buffer *emitter) {
        seen = emitter;
        // Still whole while it announces its end.
        EXPECT_EQ(emitter->size.get(), 3u);
    });
    buffer->data = std::vector<uint8_t>{ 1, 2, 3 };
    Buffer *raw = buffer.get();
    buffer.reset();
    EXPECT_EQ(seen, raw);
}

TEST(PresetBuffers, UsageAndMemoryAreFixedFromConstruction)
{
    UniformBuffer uniform;
    EXPECT_EQ(uniform.usage.get().toInt(), 0x12u);
    EXPECT_EQ(uniform.memoryUsage.get(), MemoryUsage::GpuOnly);
    EXPECT_FALSE(uniform.hostVisible.get());
    EXPECT_THROW(uniform.memoryUsage = MemoryUsage::CpuToGpu, TbBindings::ReadOnlyProperty);
    EXPECT_THROW(uniform.usage = BufferUsageFlags(BufferUsageFlagBits::TransferSrcBit), TbBindings::ReadOnlyProperty);

    EXPECT_EQ(IndexBuffer().usage.get().toInt(), 0x42u);
    EXPECT_EQ(VertexBuffer().usage.get().toInt(), 0x82u);
    EXPECT_EQ(VertexBuffer().memoryUsage.get(), MemoryUsage::GpuOnly);
}

} // namespace
