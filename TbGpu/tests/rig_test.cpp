#include "gpu_commands.h"
#include "vulkan_test_rig.h"

using namespace TbGpu;
using TbGpuTest::ValidationRecorder;

using RigTest = TbGpuTest::VulkanTestRig;

// The rig's instance runs synchronization validation: two fills of one buffer without a barrier between them are
// a write-after-write hazard, which the layer reports while the second is recorded.
TEST_F(RigTest, SynchronizationValidationCatchesAMissingBarrier)
{
    Buffer words = device.createBuffer({ 64, BufferUsageFlagBits::TransferDstBit, MemoryUsage::GpuOnly });
    ASSERT_TRUE(words.isValid());
    CommandRecorder recorder = device.createCommandRecorder();
    recorder.clearBuffer({ words.handle(), 0, 64, 1 });
    {
        ValidationRecorder::Expectation hazard(validation(), "SYNC-HAZARD-WRITE-AFTER-WRITE");
        recorder.clearBuffer({ words.handle(), 0, 64, 2 });
    }
    EXPECT_EQ(validation().countWithId("SYNC-HAZARD-WRITE-AFTER-WRITE"), 1u);
    TbGpuTest::submitAndWait(device, recorder.finish());
}
