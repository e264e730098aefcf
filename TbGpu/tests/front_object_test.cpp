#include "fake_resource_manager.h"
#include "log_capture.h"

#include <TbGpu/device.h>
#include <TbGpu/instance.h>

#include <gtest/gtest.h>

using namespace TbGpu;
using TbGpuTest::FakeAdapterSetup;
using TbGpuTest::FakeGraphicsApi;
using TbGpuTest::LogCapture;

namespace {

const QueueFlags graphicsAndCompute = QueueFlagBits::GraphicsBit | QueueFlagBits::ComputeBit;

// The default device chosen for a surface among fake adapters, and what the choice logged.
struct DefaultDeviceChoice {
    explicit DefaultDeviceChoice(std::vector<FakeAdapterSetup> adapters)
    {
        api.manager.adapterSetups = std::move(adapters);
        instance = Instance(&api, InstanceOptions{});
        surface = instance.createSurface({});
        opened = instance.createDefaultDevice(surface);
    }

    FakeGraphicsApi api;
    Instance instance;
    Surface surface;
    LogCapture log;
    DefaultDevice opened;
};

} // namespace

TEST(DefaultDeviceChoiceTest, DiscreteWinsOverIntegratedEvenWhenListedSecond)
{
    DefaultDeviceChoice choice({ { AdapterDeviceType::IntegratedGpu, { graphicsAndCompute }, true, {}, "igpu" },
                                 { AdapterDeviceType::DiscreteGpu, { graphicsAndCompute }, true, {}, "dgpu" } });
    ASSERT_NE(choice.opened.adapter, nullptr);
    EXPECT_EQ(choice.opened.adapter->properties().deviceName, "dgpu");
    EXPECT_TRUE(choice.opened.device.isValid());
    ASSERT_EQ(choice.opened.device.queues().size(), 1u);
    EXPECT_TRUE(choice.api.manager.lastDeviceOptions.requestedFeatures.multiView) << "every feature the adapter has";
    EXPECT_TRUE(choice.api.manager.lastDeviceOptions.extensions.empty());
    ASSERT_EQ(choice.api.manager.lastQueueRequests.size(), 1u);
    EXPECT_EQ(choice.api.manager.lastQueueRequests[0].priorities, std::vector<float>{ 1.0f });
}

// The best adapter that can present wins: an integrated GPU that cannot reach the surface is passed over for the
// CPU adapter that can.
TEST(DefaultDeviceChoiceTest, BestAdapterThatPresentsWinsDownToTheCpu)
{
    DefaultDeviceChoice choice({ { AdapterDeviceType::Cpu, { graphicsAndCompute }, true, {}, "software" },
                                 { AdapterDeviceType::IntegratedGpu, { graphicsAndCompute }, false, {}, "igpu" } });
    ASSERT_NE(choice.opened.adapter, nullptr);
    EXPECT_EQ(choice.opened.adapter->properties().deviceName, "software");
    EXPECT_TRUE(choice.opened.device.isValid());
    EXPECT_TRUE(choice.log.contains(spdlog::level::warn,
                                    "Adapter igpu is passed over: its queue family 0 does not meet requirements"));
    EXPECT_EQ(choice.log.count("Selected adapter queue family 0 does not meet requirements. Aborting."), 0u);
}

TEST(DefaultDeviceChoiceTest, FamilyZeroMustDoGraphicsAndComputeEvenIfAnotherFamilyDoes)
{
    DefaultDeviceChoice choice({ { AdapterDeviceType::DiscreteGpu,
                                   { QueueFlagBits::GraphicsBit, graphicsAndCompute },
                                   true,
                                   {},
                                   "split" } });
    EXPECT_EQ(choice.opened.adapter, nullptr);
    EXPECT_FALSE(choice.opened.device.isValid());
    EXPECT_TRUE(choice.log.contains(spdlog::level::info, "Queue family 0 graphics and compute support: false"));
    EXPECT_TRUE(choice.log.contains(spdlog::level::critical,
                                    "Selected adapter queue family 0 does not meet requirements. Aborting."));
    EXPECT_TRUE(choice.api.manager.devices.size() == 0) << "no device was made";
}

TEST(DefaultDeviceChoiceTest, NoAdapterThatPresentsMeansACriticalErrorAndNoDevice)
{
    DefaultDeviceChoice choice({ { AdapterDeviceType::IntegratedGpu, { graphicsAndCompute }, false, {}, "headless" },
                                 { AdapterDeviceType::Cpu, { graphicsAndCompute }, false, {}, "software" } });
    EXPECT_EQ(choice.opened.adapter, nullptr);
    EXPECT_FALSE(choice.opened.device.isValid());
    EXPECT_EQ(choice.log.count("Queue family 0 supports presentation: false"), 2u) << "both adapters were asked";
    EXPECT_TRUE(choice.log.contains(spdlog::level::critical,
                                    "Selected adapter queue family 0 does not meet requirements. Aborting."));
    EXPECT_EQ(choice.api.manager.devices.size(), 0u) << "no device was made";
}

TEST(DefaultDeviceChoiceTest, PresentModesAreListedByName)
{
    DefaultDeviceChoice choice({ { AdapterDeviceType::DiscreteGpu,
                                   { graphicsAndCompute },
                                   true,
                                   { PresentMode::Mailbox, PresentMode::FifoRelaxed, static_cast<PresentMode>(7) },
                                   "gpu" } });
    const auto lines = choice.log.lines();
    const auto header = std::find_if(lines.begin(), lines.end(), [](const TbGpuTest::LogLine &line) {
        return line.text == "Supported swapchain present modes:";
    });
    ASSERT_NE(header, lines.end());
    ASSERT_GE(lines.end() - header, 4);
    EXPECT_EQ(header[1].text, "  - Mailbox");
    EXPECT_EQ(header[2].text, "  - Fifo Relaxed");
    EXPECT_EQ(header[3].text, "  - Unknown");
}

TEST(DefaultDeviceChoiceTest, ExplicitCpuWishNeverFallsBack)
{
    FakeGraphicsApi api;
    api.manager.adapterSetups = { { AdapterDeviceType::DiscreteGpu, { graphicsAndCompute }, true, {}, "gpu" } };
    Instance instance(&api, InstanceOptions{});
    LogCapture log;
    EXPECT_EQ(instance.selectAdapter(AdapterDeviceType::Cpu), nullptr);
    EXPECT_EQ(instance.createDefaultDevice(Surface{}, AdapterDeviceType::Cpu).adapter, nullptr);
    EXPECT_TRUE(log.contains(spdlog::level::critical, "Unable to find a suitable Adapter. Aborting..."));
}

TEST(FrontObjectTest, BufferMapIsRememberedAndMovesDeleteTheTargetFirst)
{
    FakeGraphicsApi api;
    auto &manager = api.manager;
    const Handle<Device_t> device{ 0, 1 };
    Buffer a(&api, device, manager.createBuffer(device, {}, nullptr));
    Buffer b(&api, device, manager.createBuffer(device, {}, nullptr));
    const Handle<Buffer_t> aHandle = a.handle();
    const Handle<Buffer_t> bHandle = b.handle();

    void *first = a.map();
    EXPECT_EQ(a.map(), first);
    EXPECT_EQ(manager.buffers.get(aHandle)->mapCount, 1) << "mapped once";
    a.unmap();
    a.unmap();
    EXPECT_EQ(manager.buffers.get(aHandle)->unmapCount, 1) << "unmapping an unmapped buffer does nothing";

    a = std::move(b);
    EXPECT_EQ(manager.deletions["Buffer"], 1);
    EXPECT_EQ(manager.buffers.get(aHandle), nullptr) << "the target's buffer went first";
    EXPECT_EQ(a.handle(), bHandle);
    EXPECT_FALSE(b.isValid());
    {
        Buffer moved(std::move(a));
    }
    EXPECT_EQ(manager.deletions["Buffer"], 2);
    {
        Buffer defaulted;
    }
    EXPECT_EQ(manager.deletions["Buffer"], 2) << "default and moved-from objects delete nothing";
}

TEST(FrontObjectTest, InstanceDeletesItselfThenItsAdaptersAndSurfacesAreReleased)
{
    FakeGraphicsApi api;
    api.manager.adapterSetups = { {}, {} };
    {
        Instance instance(&api, InstanceOptions{});
        EXPECT_EQ(instance.adapters().size(), 2u);
        Surface surface = instance.createSurface({});
        EXPECT_TRUE(surface.isValid());
        Surface other = std::move(surface);
        EXPECT_EQ(api.manager.deletions["surface"], 0);
    }
    EXPECT_EQ(api.manager.deletions["surface"], 1);
    EXPECT_EQ(api.manager.deletions["instance"], 1);
    EXPECT_EQ(api.manager.deletions["adapter"], 2);
    EXPECT_EQ(api.manager.deletions["queue"], 0);
}

TEST(FrontObjectTest, DeviceQueuesCopyTheirDescriptionsAndDeleteNothing)
{
    FakeGraphicsApi api;
    api.manager.adapterSetups = { { AdapterDeviceType::DiscreteGpu,
                                    { graphicsAndCompute, QueueFlags(QueueFlagBits::TransferBit) },
                                    true,
                                    {},
                                    "gpu" } };
    Instance instance(&api, InstanceOptions{});
    Adapter *adapter = instance.adapters().front();
    DeviceOptions options;
    options.queues = { { 0, 2, { 1.0f, 0.5f } }, { 1, 1, { 1.0f } } };
    {
        Device device = adapter->createDevice(options);
        ASSERT_EQ(device.queues().size(), 3u);
        EXPECT_EQ(device.queues()[2].queueTypeIndex(), 1u);
        EXPECT_EQ(device.queues()[2].flags(), QueueFlags(QueueFlagBits::TransferBit));
        EXPECT_EQ(device.queues()[0].timestampValidBits(), 64u);
        Device other = adapter->createDevice();
        other = std::move(device);
        EXPECT_EQ(api.manager.deletions["device"], 1);
        EXPECT_EQ(other.queues().size(), 3u);
    }
    EXPECT_EQ(api.manager.deletions["device"], 2);
    EXPECT_EQ(api.manager.deletions["queue"], 0) << "no front object removes queues";
}

// The device's children share one ownership rule: moving onto an object deletes what it held, moved-from and
// default objects delete nothing, and invalid objects answer with empty results.
TEST(FrontObjectTest, DeviceChildrenDeleteTheirHandleOnce)
{
    FakeGraphicsApi api;
    const Handle<Device_t> device{ 0, 1 };
    {
        Fence first(&api, device, Handle<Fence_t>{ 0, 1 });
        Fence second(&api, device, Handle<Fence_t>{ 1, 1 });
        first = std::move(second);
        EXPECT_EQ(api.manager.deletions["Fence"], 1) << "the target's fence goes first";
        EXPECT_FALSE(second.isValid());
        EXPECT_EQ(first.handle(), (Handle<Fence_t>{ 1, 1 }));
        Fence third(std::move(first));
        EXPECT_FALSE(first.isValid());
        EXPECT_EQ(first.status(), FenceStatus::Error) << "a moved-from fence has nothing to ask";
    }
    EXPECT_EQ(api.manager.deletions["Fence"], 2);
    {
        CommandRecorder recorder(&api, device, Handle<CommandRecorder_t>{ 0, 1 }, CommandBufferLevel::Secondary);
        EXPECT_EQ(recorder.level(), CommandBufferLevel::Secondary);
        EXPECT_FALSE(recorder.finish().isValid()) << "no record, no command buffer";
        EXPECT_FALSE(recorder.beginRenderPass({}).isValid());
        Swapchain swapchain(&api, device, Handle<Swapchain_t>{ 0, 1 });
        EXPECT_TRUE(swapchain.textures().empty());
        uint32_t index = 0;
        EXPECT_EQ(swapchain.getNextImageIndex(index), AcquireImageResult::DeviceLost);
        GpuSemaphore semaphore;
        EXPECT_TRUE(std::holds_alternative<std::monostate>(semaphore.externalSemaphoreHandle()));
    }
    EXPECT_EQ(api.manager.deletions["CommandRecorder"], 1);
    EXPECT_EQ(api.manager.deletions["Swapchain"], 1);
    EXPECT_EQ(api.manager.deletions["GpuSemaphore"], 0);
}
