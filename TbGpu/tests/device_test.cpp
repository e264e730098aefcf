#include "vulkan/vulkan_enums.h"
#include "vulkan_test_rig.h"

#include <functional>
#include <stdexcept>

using namespace TbGpu;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

using DeviceTest = VulkanTestRig;

TEST_F(DeviceTest, DefaultDeviceHasOneGraphicsQueueOfFamilyZero)
{
    ASSERT_EQ(device.queues().size(), 1u);
    const Queue &queue = device.queues().front();
    EXPECT_TRUE(queue.isValid());
    EXPECT_EQ(queue.queueTypeIndex(), 0u);
    EXPECT_TRUE(queue.flags().testFlag(QueueFlagBits::GraphicsBit));
    EXPECT_TRUE(queue.flags().testFlag(QueueFlagBits::ComputeBit));
    EXPECT_EQ(queue.timestampValidBits(), adapter->queueTypes()[0].timestampValidBits);
    EXPECT_EQ(device.adapter(), adapter);
    EXPECT_NE(manager()->getQueue(queue.handle()), nullptr);
    EXPECT_EQ(device.queues().front().waitUntilIdle(), ResultCode::Success);
    EXPECT_EQ(device.waitUntilIdle(), ResultCode::Success);

    const VulkanDevice *record = deviceRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record->allocator, nullptr);
    EXPECT_TRUE(record->isOwned);
    EXPECT_EQ(record->commandPools.size(), adapter->queueTypes().size());
    EXPECT_TRUE(record->hasEnabledExtension(VK_KHR_SWAPCHAIN_EXTENSION_NAME));
}

TEST_F(DeviceTest, AdapterReportsPropertiesFeaturesAndFormats)
{
    const AdapterProperties &properties = adapter->properties();
    EXPECT_FALSE(properties.deviceName.empty());
    EXPECT_NE(properties.deviceType, AdapterDeviceType::MaxEnum);
    EXPECT_GE(properties.apiVersion, VK_API_VERSION_1_2);
    EXPECT_GE(properties.limits.maxImageDimension2D, 4096u);
    EXPECT_GT(properties.limits.nonCoherentAtomSize, 0u);
    EXPECT_GE(properties.multiViewProperties.maxMultiViewCount, 2u);
    EXPECT_TRUE(adapter->features().multiView);

    const FormatProperties rgba = adapter->formatProperties(Format::R8G8B8A8_UNORM);
    EXPECT_TRUE(rgba.optimalTilingFeatures.testFlag(FormatFeatureFlagBits::SampledImageBit));
    EXPECT_FALSE(adapter->extensions().empty());
    EXPECT_FALSE(instance.extensions().empty());
    EXPECT_FALSE(adapter->supportsPresentation(Handle<Surface_t>{}, 0)) << "no surface, no presentation";
}

TEST_F(DeviceTest, SecondDeviceWithExplicitQueuesAndAMissingExtension)
{
    LogCapture log;
    DeviceOptions options;
    options.extensions = { "VK_TB_extension_nobody_has" };
    options.queues = { { 0, 1, { 0.5f } } };
    Device second = adapter->createDevice(options);
    ASSERT_TRUE(second.isValid());
    EXPECT_EQ(second.queues().size(), 1u);
    EXPECT_EQ(log.count("Unable to find default requested device extension VK_TB_extension_nobody_has"), 1u);
    EXPECT_NE(second.handle(), device.handle());
}

TEST_F(DeviceTest, NoQueueRequestsMeansOneQueueOfFamilyZeroAtFullPriority)
{
    std::vector<QueueRequest> used{ { 3, 9, { 0.1f } } }; // overwritten with what was used
    const Handle<Device_t> handle = manager()->createDevice(adapter->handle(), DeviceOptions{}, used);
    ASSERT_TRUE(handle.isValid());
    ASSERT_EQ(used.size(), 1u);
    EXPECT_EQ(used[0].queueTypeIndex, 0u);
    EXPECT_EQ(used[0].count, 1u);
    EXPECT_EQ(used[0].priorities, std::vector<float>{ 1.0f });
    const std::vector<QueueDescription> queues =
            manager()->getDevice(handle)->getQueues(manager(), used, adapter->queueTypes());
    ASSERT_EQ(queues.size(), 1u);
    EXPECT_EQ(queues[0].queueTypeIndex, 0u);
    EXPECT_EQ(queues[0].flags, adapter->queueTypes()[0].flags);
    manager()->deleteDevice(handle);
    EXPECT_EQ(manager()->getDevice(handle), nullptr);
    manager()->deleteDevice(handle); // a stale handle is ignored
}

// Software rasterisers report a CPU adapter: with no GPU in the machine the default wish takes it.
TEST_F(DeviceTest, DefaultWishTakesTheCpuAdapterWhenThereIsNoGpu)
{
    if (instance.selectAdapter(AdapterDeviceType::DiscreteGpu) ||
        instance.selectAdapter(AdapterDeviceType::IntegratedGpu) ||
        instance.selectAdapter(AdapterDeviceType::VirtualGpu))
        GTEST_SKIP() << "this machine has a GPU adapter";
    LogCapture log;
    DefaultDevice opened = instance.createDefaultDevice(Surface{}, AdapterDeviceType::Default);
    ASSERT_NE(opened.adapter, nullptr);
    EXPECT_EQ(opened.adapter->properties().deviceType, AdapterDeviceType::Cpu);
    EXPECT_TRUE(opened.device.isValid());
    EXPECT_EQ(log.count("Unable to find a suitable Adapter. Aborting..."), 0u);
}

TEST_F(DeviceTest, DefaultDeviceLogsWhatItChecked)
{
    LogCapture log;
    DefaultDevice another = instance.createDefaultDevice(Surface{});
    ASSERT_TRUE(another.device.isValid());
    EXPECT_TRUE(log.contains(spdlog::level::info, "Queue family 0 graphics and compute support: true"));
    EXPECT_TRUE(log.contains(spdlog::level::info, "Supported adapter extensions:"));
    EXPECT_TRUE(log.containsPrefix(spdlog::level::info, "  - VK_KHR_swapchain Version "));
    EXPECT_TRUE(log.contains(spdlog::level::info, "Supports multiview: true"));
}

// Operations on a handle that names no device say so once, with the operation that was asked as the source.
TEST_F(DeviceTest, MissingDeviceIsReportedAtTheOperationAsked)
{
    const Handle<Device_t> none{ 9, 9 };
    struct Case {
        const char *function;
        std::function<bool()> fails;
    };
    const Case cases[] = {
        { "TbGpu::VulkanResourceManager::createBuffer",
          [&] {
              return !manager()->createBuffer(none, { 64, BufferUsageFlagBits::UniformBufferBit }, nullptr).isValid();
          } },
        { "TbGpu::VulkanResourceManager::createFence", [&] { return !manager()->createFence(none, {}).isValid(); } },
        { "TbGpu::VulkanResourceManager::createGraphicsPipeline",
          [&] { return !manager()->createGraphicsPipeline(none, {}).isValid(); } },
    };
    for (const Case &c : cases) {
        LogCapture log;
        EXPECT_TRUE(c.fails()) << c.function;
        const std::vector<TbGpuTest::LogLine> lines = log.lines();
        ASSERT_EQ(lines.size(), 1u) << c.function;
        EXPECT_EQ(lines[0].level, spdlog::level::err);
        EXPECT_EQ(lines[0].text, "Could not find a valid device");
        EXPECT_EQ(lines[0].function, c.function);
    }
}

TEST_F(DeviceTest, AdaptersAreCachedAndSelectable)
{
    const std::vector<Adapter *> first = instance.adapters();
    const std::vector<Adapter *> second = instance.adapters();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second) << "the same adapters on every call";
    EXPECT_NE(std::find(first.begin(), first.end(), adapter), first.end());
    EXPECT_EQ(instance.selectAdapter(adapter->properties().deviceType)->properties().deviceType,
              adapter->properties().deviceType);
}

TEST_F(DeviceTest, MovingADeviceDeletesTheTargetFirst)
{
    Device other = adapter->createDevice();
    ASSERT_TRUE(other.isValid());
    const Handle<Device_t> otherHandle = other.handle();
    const Handle<Device_t> rigHandle = device.handle();

    other = std::move(device);
    EXPECT_EQ(manager()->getDevice(otherHandle), nullptr) << "the target's device was deleted";
    EXPECT_EQ(other.handle(), rigHandle);
    EXPECT_FALSE(device.isValid());
    EXPECT_TRUE(device.queues().empty());
    EXPECT_EQ(other.queues().size(), 1u);
    device = std::move(other); // back for the rig's teardown
    EXPECT_NE(manager()->getDevice(rigHandle), nullptr);
}

TEST(InstanceTest, FailedInstanceCreationThrowsWithTheResultText)
{
    VulkanGraphicsApi api;
    InstanceOptions options;
    options.layers = { "VK_LAYER_TB_no_such_layer" };
    try {
        Instance instance(&api, options);
        FAIL() << "no exception";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "Failed to create Vulkan instance: LAYER NOT PRESENT");
    }
}

TEST(InstanceTest, MissingUserExtensionIsAWarning)
{
    VulkanGraphicsApi api;
    LogCapture log;
    InstanceOptions options;
    options.extensions = { "VK_TB_no_such_extension" };
    Instance instance(&api, options);
    EXPECT_TRUE(instance.isValid());
    EXPECT_TRUE(log.contains(spdlog::level::warn, "Unable to find user requested extensions VK_TB_no_such_extension"));
    EXPECT_EQ(api.vulkanResourceManager()->getInstance(instance.handle())->debugMessenger,
              static_cast<VkDebugUtilsMessengerEXT>(VK_NULL_HANDLE))
            << "no messenger without VK_EXT_debug_utils";
}

TEST(InstanceTest, AdoptedInstanceSurvivesTheLibrary)
{
    TbGpuTest::ValidatedInstance validated;
    const VkInstance vkInstance = validated.handle();
    ASSERT_NE(vkInstance, VK_NULL_HANDLE);
    {
        VulkanGraphicsApi api;
        Instance instance = api.adoptVkInstance(vkInstance);
        ASSERT_TRUE(instance.isValid());
        const VulkanInstance *record = api.vulkanResourceManager()->getInstance(instance.handle());
        ASSERT_NE(record, nullptr);
        EXPECT_FALSE(record->isOwned);
        EXPECT_EQ(record->instance, vkInstance);
        EXPECT_EQ(record->debugMessenger, static_cast<VkDebugUtilsMessengerEXT>(VK_NULL_HANDLE));

        DefaultDevice opened = instance.createDefaultDevice(Surface{});
        ASSERT_TRUE(opened.device.isValid());
        Buffer buffer =
                opened.device.createBuffer({ 256, BufferUsageFlagBits::UniformBufferBit, MemoryUsage::CpuToGpu });
        EXPECT_TRUE(buffer.isValid());
        buffer = {};
        opened.device = {};
        const Handle<Instance_t> handle = instance.handle();
        instance = {};
        EXPECT_EQ(api.vulkanResourceManager()->getInstance(handle), nullptr) << "the record is released";
    }

    uint32_t count = 0;
    EXPECT_EQ(vkEnumeratePhysicalDevices(vkInstance, &count, nullptr), VK_SUCCESS) << "still alive";
    EXPECT_GT(count, 0u);
    EXPECT_EQ(validated.validation().errorCount(), 0u);
}

TEST(InstanceTest, AdoptedSurfaceIsOnlyReleased)
{
    VulkanGraphicsApi api;
    Instance instance(&api, TbGpuTest::validatedInstanceOptions());
    // A surface handle the library must never destroy: a dummy value is enough, nothing may touch it.
    const VkSurfaceKHR foreign = reinterpret_cast<VkSurfaceKHR>(uint64_t{ 0xdead0000 });
    Surface surface = api.adoptVkSurface(instance.handle(), foreign);
    ASSERT_TRUE(surface.isValid());
    const VulkanSurface *record = api.vulkanResourceManager()->getSurface(surface.handle());
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->isOwned);
    EXPECT_EQ(record->surface, foreign);
    const Handle<Surface_t> handle = surface.handle();
    surface = {};
    EXPECT_EQ(api.vulkanResourceManager()->getSurface(handle), nullptr);

    EXPECT_FALSE(api.adoptVkSurface(Handle<Instance_t>{}, foreign).isValid()) << "no instance, no surface";
}

TEST(InstanceTest, DestroyingAnInstanceReleasesItsAdapters)
{
    VulkanGraphicsApi api;
    Instance instance(&api, TbGpuTest::validatedInstanceOptions());
    const std::vector<Adapter *> adapters = instance.adapters();
    ASSERT_FALSE(adapters.empty());
    const Handle<Adapter_t> adapterHandle = adapters.front()->handle();
    EXPECT_NE(api.vulkanResourceManager()->getAdapter(adapterHandle), nullptr);

    Instance moved(std::move(instance));
    EXPECT_FALSE(instance.isValid());
    EXPECT_TRUE(instance.adapters().empty()) << "the cache moved with the instance";
    EXPECT_EQ(moved.adapters().front(), adapters.front()) << "adapter pointers stay valid across the move";

    const Handle<Instance_t> instanceHandle = moved.handle();
    moved = {};
    EXPECT_EQ(api.vulkanResourceManager()->getInstance(instanceHandle), nullptr);
    EXPECT_EQ(api.vulkanResourceManager()->getAdapter(adapterHandle), nullptr);
}
