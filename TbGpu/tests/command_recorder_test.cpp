#include "gpu_commands.h"
#include "spirv_files.h"
#include "vulkan_test_rig.h"

using namespace TbGpu;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

class CommandRecorderTest : public VulkanTestRig
{ };

TEST_F(CommandRecorderTest, SecondaryCommandBufferRunsInsideThePrimary)
{
    Buffer words = device.createBuffer({ 16, BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuToCpu });
    CommandRecorder secondary = device.createCommandRecorder({ {}, CommandBufferLevel::Secondary });
    ASSERT_TRUE(secondary.isValid());
    EXPECT_EQ(secondary.level(), CommandBufferLevel::Secondary);
    secondary.clearBuffer({ words.handle(), 0, 16, 0x5A5A5A5Au });
    CommandBuffer secondaryCommands = secondary.finish();

    CommandRecorder primary = device.createCommandRecorder();
    primary.executeSecondaryCommandBuffer(secondaryCommands.handle());
    TbGpuTest::transferToHostBarrier(primary, words);
    CommandBuffer commands = primary.finish();
    TbGpuTest::submitAndWait(device, commands);
    for (uint8_t byte : TbGpuTest::bufferBytes(words, 16))
        ASSERT_EQ(byte, 0x5A);

    // The command buffer lives until its CommandBuffer goes; the recorder only gave up its slot.
    const Handle<CommandBuffer_t> handle = commands.handle();
    primary = {};
    EXPECT_NE(manager()->getCommandBuffer(handle), nullptr);
    commands = {};
    EXPECT_EQ(manager()->getCommandBuffer(handle), nullptr);
}

TEST_F(CommandRecorderTest, UnfinishedRecorderReturnsItsCommandBuffer)
{
    CommandRecorder recorder = device.createCommandRecorder();
    const Handle<CommandBuffer_t> buffer = manager()->getCommandRecorder(recorder.handle())->commandBufferHandle;
    ASSERT_NE(manager()->getCommandBuffer(buffer), nullptr);
    recorder = {};
    EXPECT_EQ(manager()->getCommandBuffer(buffer), nullptr);
}

// A compute pass: the pipeline's layout serves the bind group and the push constant.
TEST_F(CommandRecorderTest, ComputePassFillsAStorageBuffer)
{
    constexpr uint32_t count = 64;
    Buffer words = device.createBuffer({ count * 4, BufferUsageFlagBits::StorageBufferBit, MemoryUsage::GpuToCpu });
    BindGroupLayout bindGroupLayout = device.createBindGroupLayout(
            { { { 0, 1, ResourceBindingType::StorageBuffer, ShaderStageFlagBits::ComputeBit } } });
    PipelineLayout pipelineLayout = device.createPipelineLayout(
            { { bindGroupLayout.handle() }, { { 0, 4, ShaderStageFlagBits::ComputeBit } } });
    BindGroup bindGroup = device.createBindGroup(
            { bindGroupLayout.handle(), { { 0, StorageBufferBinding{ { words.handle(), 0, count * 4 } } } } });
    ShaderModule shader = device.createShaderModule(TbGpuTest::readSpirv("fill_buffer.comp.spv"));
    const Handle<ComputePipeline_t> pipeline =
            manager()->createComputePipeline(device.handle(), { pipelineLayout.handle(), { shader.handle() } });
    ASSERT_TRUE(pipeline.isValid());

    CommandRecorder recorder = device.createCommandRecorder();
    const Handle<ComputePassCommandRecorder_t> passHandle =
            manager()->createComputePassCommandRecorder(device.handle(), recorder.handle());
    ApiComputePassCommandRecorder *pass = manager()->getComputePassCommandRecorder(passHandle);
    ASSERT_NE(pass, nullptr);
    pass->setPipeline(pipeline);
    pass->setBindGroup(0, bindGroup.handle(), {}, {});
    const uint32_t base = 1000;
    pass->pushConstant({ 0, 4, ShaderStageFlagBits::ComputeBit }, &base);
    pass->dispatchCompute(ComputeCommand{ count / 16 });
    pass->end();
    manager()->deleteComputePassCommandRecorder(passHandle);
    BufferMemoryBarrierOptions toHost;
    toHost.srcStages = PipelineStageFlagBits::ComputeShaderBit;
    toHost.srcMask = AccessFlagBits::ShaderWriteBit;
    toHost.dstStages = PipelineStageFlagBits::HostBit;
    toHost.dstMask = AccessFlagBits::HostReadBit;
    toHost.buffer = words.handle();
    recorder.bufferMemoryBarrier(toHost);
    TbGpuTest::submitAndWait(device, recorder.finish());

    const std::vector<uint8_t> bytes = TbGpuTest::bufferBytes(words, count * 4);
    std::vector<uint32_t> values(count);
    std::memcpy(values.data(), bytes.data(), count * 4);
    for (uint32_t i = 0; i < count; ++i)
        ASSERT_EQ(values[i], base + i);
    manager()->deleteComputePipeline(pipeline);

    LogCapture log;
    EXPECT_FALSE(manager()->createComputePipeline(device.handle(), { {}, { shader.handle() } }).isValid());
    EXPECT_TRUE(log.contains(spdlog::level::err, "Invalid pipeline layout requested"));
}

// Descriptor pools hold 1024 sets: the 1025th bind group makes a second pool and still succeeds. Buffer ranges
// bind the whole buffer or the given bytes.
TEST_F(CommandRecorderTest, BindGroupsGrowTheDescriptorPools)
{
    Buffer uniforms = device.createBuffer({ 1024, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu });
    BindGroupLayout layout = device.createBindGroupLayout(
            { { { 0, 1, ResourceBindingType::UniformBuffer, ShaderStageFlagBits::VertexBit } } });
    std::vector<BindGroup> groups;
    for (uint32_t i = 0; i < 1025; ++i) {
        const uint32_t sizeOfRange = i % 2 ? BufferBinding::WholeSize : 256;
        groups.push_back(device.createBindGroup(
                { layout.handle(),
                  { { 0, UniformBufferBinding{ { uniforms.handle(), (i % 4) * 256, sizeOfRange } } } } }));
        ASSERT_TRUE(groups.back().isValid()) << i;
    }
    EXPECT_EQ(deviceRecord()->descriptorPools.size(), 2u);
    EXPECT_EQ(manager()->getBindGroup(groups.back().handle())->descriptorPool, deviceRecord()->descriptorPools[1]);

    LogCapture log;
    groups.front().update({ 0, UniformBufferBinding{ { Handle<Buffer_t>{ 77, 1 } } } });
    EXPECT_TRUE(
            log.contains(spdlog::level::warn, "Bind group entry at binding 0 names a resource that does not exist"));
    groups.clear(); // every set goes back to its pool; the pools stay with the device
    EXPECT_EQ(deviceRecord()->descriptorPools.size(), 2u);
}
