#include "vulkan/vulkan_create_infos.h"
#include "vulkan_test_rig.h"

#include <unistd.h>

using namespace TbGpu;
using TbGpuTest::LogCapture;
using TbGpuTest::VulkanTestRig;

class TextureTest : public VulkanTestRig
{
protected:
    void TearDown() override
    {
        EXPECT_EQ(allocatorStatistics().allocationCount, 0u);
        EXPECT_EQ(allocatorStatistics().blockCount, 0u);
        VulkanTestRig::TearDown();
    }
};

TEST_F(TextureTest, TexturesAndViewsOfSeveralFormats)
{
    struct Case {
        const char *name;
        TextureOptions options;
        TextureViewOptions view;
        Format expectedViewFormat;
        VkImageAspectFlags expectedAspect;
    };
    const TextureUsageFlags sampled = TextureUsageFlagBits::SampledBit | TextureUsageFlagBits::TransferDstBit;
    const Case cases[] = {
        { "rgba8 sampled",
          { TextureType::TextureType2D,
            Format::R8G8B8A8_UNORM,
            { 256, 128, 1 },
            8,
            1,
            SampleCountFlagBits::Samples1Bit,
            TextureTiling::Optimal,
            sampled },
          { ViewType::ViewType2D, Format::UNDEFINED, { 0, 0, 8, 0, 1 } },
          Format::R8G8B8A8_UNORM,
          VK_IMAGE_ASPECT_COLOR_BIT },
        { "srgb view of rgba8",
          { TextureType::TextureType2D,
            Format::R8G8B8A8_UNORM,
            { 64, 64, 1 },
            1,
            1,
            SampleCountFlagBits::Samples1Bit,
            TextureTiling::Optimal,
            TextureUsageFlagBits::ColorAttachmentBit },
          { ViewType::ViewType2D, Format::R8G8B8A8_UNORM, { 0, 0, 1, 0, 1 } },
          Format::R8G8B8A8_UNORM,
          VK_IMAGE_ASPECT_COLOR_BIT },
        { "depth attachment",
          { TextureType::TextureType2D,
            Format::D32_SFLOAT,
            { 320, 240, 1 },
            1,
            1,
            SampleCountFlagBits::Samples1Bit,
            TextureTiling::Optimal,
            TextureUsageFlagBits::DepthStencilAttachmentBit },
          { ViewType::ViewType2D, Format::UNDEFINED, { 0, 0, 1, 0, 1 } },
          Format::D32_SFLOAT,
          VK_IMAGE_ASPECT_DEPTH_BIT },
        { "multisampled colour",
          { TextureType::TextureType2D,
            Format::B8G8R8A8_UNORM,
            { 128, 128, 1 },
            1,
            2,
            SampleCountFlagBits::Samples4Bit,
            TextureTiling::Optimal,
            TextureUsageFlagBits::ColorAttachmentBit },
          { ViewType::ViewType2DArray, Format::UNDEFINED, { 0, 0, 1, 0, 2 } },
          Format::B8G8R8A8_UNORM,
          VK_IMAGE_ASPECT_COLOR_BIT },
        { "half-float array",
          { TextureType::TextureType2D,
            Format::R16G16B16A16_SFLOAT,
            { 32, 32, 1 },
            1,
            4,
            SampleCountFlagBits::Samples1Bit,
            TextureTiling::Optimal,
            sampled },
          { ViewType::ViewType2DArray, Format::UNDEFINED, { 0, 0, 1, 1, 3 } },
          Format::R16G16B16A16_SFLOAT,
          VK_IMAGE_ASPECT_COLOR_BIT },
        { "cube",
          { TextureType::TextureTypeCube,
            Format::R8G8B8A8_SRGB,
            { 64, 64, 1 },
            1,
            6,
            SampleCountFlagBits::Samples1Bit,
            TextureTiling::Optimal,
            sampled },
          { ViewType::Cube, Format::UNDEFINED, { 0, 0, 1, 0, 6 } },
          Format::R8G8B8A8_SRGB,
          VK_IMAGE_ASPECT_COLOR_BIT },
        { "3d",
          { TextureType::TextureType3D,
            Format::R32_SFLOAT,
            { 16, 16, 16 },
            1,
            1,
            SampleCountFlagBits::Samples1Bit,
            TextureTiling::Optimal,
            sampled },
          { ViewType::ViewType3D, Format::UNDEFINED, { 0, 0, 1, 0, 1 } },
          Format::R32_SFLOAT,
          VK_IMAGE_ASPECT_COLOR_BIT },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Texture texture = device.createTexture(c.options);
        ASSERT_TRUE(texture.isValid());
        const VulkanTexture *record = manager()->getTexture(texture.handle());
        EXPECT_EQ(record->format, c.options.format);
        EXPECT_EQ(record->extent, c.options.extent);
        EXPECT_EQ(record->mipLevels, c.options.mipLevels);
        EXPECT_EQ(record->arrayLayers, c.options.arrayLayers);
        EXPECT_FALSE(record->ownedBySwapchain);

        TextureView view = texture.createView(c.view);
        ASSERT_TRUE(view.isValid());
        const VulkanTextureView *viewRecord = manager()->getTextureView(view.handle());
        EXPECT_EQ(viewRecord->format, c.expectedViewFormat);
        EXPECT_EQ(viewRecord->range.aspectMask, c.expectedAspect);
        EXPECT_EQ(viewRecord->textureHandle, texture.handle());
    }
}

TEST_F(TextureTest, CubeTexturesAreCubeCompatible2DImages)
{
    TextureOptions options;
    options.type = TextureType::TextureTypeCube;
    options.format = Format::R8G8B8A8_UNORM;
    options.arrayLayers = 6;
    options.extent = { 8, 8, 1 };
    VkExternalMemoryImageCreateInfo external{};
    const VkImageCreateInfo info = imageCreateInfo(options, external);
    EXPECT_EQ(info.imageType, VK_IMAGE_TYPE_2D);
    EXPECT_EQ(info.flags & VK_IMAGE_CREATE_CUBE_COMPATIBLE_BIT, static_cast<VkImageCreateFlags>(0x10));
    EXPECT_EQ(info.pNext, nullptr);
    options.type = TextureType::TextureType2D;
    EXPECT_EQ(imageCreateInfo(options, external).flags, 0u);
}

TEST_F(TextureTest, AspectDerivedFromUsage)
{
    EXPECT_EQ(
            aspectFromTextureUsage(TextureUsageFlagBits::DepthStencilAttachmentBit | TextureUsageFlagBits::SampledBit),
            static_cast<VkImageAspectFlags>(VK_IMAGE_ASPECT_DEPTH_BIT));
    EXPECT_EQ(aspectFromTextureUsage(TextureUsageFlagBits::ColorAttachmentBit),
              static_cast<VkImageAspectFlags>(VK_IMAGE_ASPECT_COLOR_BIT));
    EXPECT_EQ(aspectFromTextureUsage(TextureUsageFlagBits::SampledBit),
              static_cast<VkImageAspectFlags>(VK_IMAGE_ASPECT_COLOR_BIT));
    EXPECT_EQ(aspectFromTextureUsage(TextureUsageFlagBits::StorageBit), 0u);
}

TEST_F(TextureTest, LinearTextureIsMappableWithASubresourceLayout)
{
    TextureOptions options;
    options.format = Format::R8G8B8A8_UNORM;
    options.extent = { 16, 8, 1 };
    options.tiling = TextureTiling::Linear;
    options.usage = TextureUsageFlagBits::TransferSrcBit;
    options.memoryUsage = MemoryUsage::GpuToCpu;
    options.initialLayout = TextureLayout::Preinitialized;
    Texture texture = device.createTexture(options);
    ASSERT_TRUE(texture.isValid());
    const SubresourceLayout layout = texture.getSubresourceLayout({ TextureAspectFlagBits::ColorBit, 0, 0 });
    EXPECT_GE(layout.rowPitch, 16u * 4u);
    EXPECT_GE(layout.size, layout.rowPitch * 8u);
    void *mapped = texture.map();
    EXPECT_NE(mapped, nullptr);
    EXPECT_EQ(texture.map(), mapped);
    texture.unmap();

    Texture optimal = device.createTexture({ TextureType::TextureType2D,
                                             Format::R8G8B8A8_UNORM,
                                             { 4, 4, 1 },
                                             1,
                                             1,
                                             SampleCountFlagBits::Samples1Bit,
                                             TextureTiling::Optimal,
                                             TextureUsageFlagBits::SampledBit });
    EXPECT_EQ(optimal.getSubresourceLayout().size, 0u) << "optimal tiling has no layout to report";
}

TEST_F(TextureTest, SwapchainOwnedTexturesSurviveDelete)
{
    VulkanTexture image;
    image.ownedBySwapchain = true; // as a swapchain inserts its images: no allocation of ours
    image.format = Format::B8G8R8A8_SRGB;
    image.deviceHandle = device.handle();
    image.vulkanResourceManager = manager();
    const Handle<Texture_t> handle = manager()->insertTexture(image);
    {
        Texture wrapped(&api, device.handle(), handle);
        EXPECT_EQ(wrapped.map(), nullptr) << "nothing of ours to map";
    }
    manager()->deleteTexture(handle);
    ASSERT_NE(manager()->getTexture(handle), nullptr) << "the handle stays valid";
    manager()->getTexture(handle)->ownedBySwapchain = false; // what the swapchain's own deletion would release
    manager()->deleteTexture(handle);
    EXPECT_EQ(manager()->getTexture(handle), nullptr);
}

TEST_F(TextureTest, ImpossibleTextureGivesAnInvalidHandleAndALogLine)
{
    LogCapture log;
    TextureOptions options;
    options.format = Format::R8G8B8A8_UNORM;
    options.extent = { 64, 64, 1 };
    options.usage = TextureUsageFlagBits::SampledBit;
    options.memoryUsage = MemoryUsage::GpuLazilyAllocated; // no lazily allocated memory on this device
    if (!deviceRecord()->allocator->candidateMemoryTypes(~0u, MemoryUsage::GpuLazilyAllocated).empty())
        GTEST_SKIP() << "the device has lazily allocated memory";
    Texture texture = device.createTexture(options);
    EXPECT_FALSE(texture.isValid());
    EXPECT_TRUE(log.containsPrefix(spdlog::level::err, "Error when creating image: -"));
    EXPECT_FALSE(texture.createView().isValid());
}

TEST_F(TextureTest, EmptyDimensionsAreRefusedBeforeReachingVulkan)
{
    const Extent3D extents[] = { { 0, 4, 1 }, { 4, 0, 1 }, { 4, 4, 0 } };
    for (const Extent3D &extent : extents) {
        LogCapture log;
        Texture texture = device.createTexture({ TextureType::TextureType2D, Format::R8G8B8A8_UNORM, extent, 1, 1,
                                                 SampleCountFlagBits::Samples1Bit, TextureTiling::Optimal,
                                                 TextureUsageFlagBits::SampledBit });
        EXPECT_FALSE(texture.isValid());
        EXPECT_TRUE(log.contains(spdlog::level::err,
                                 "Error when creating image: extent, mip levels and array layers "
                                 "must be greater than 0"));
    }
    Texture noLayers = device.createTexture({ TextureType::TextureType2D,
                                              Format::R8G8B8A8_UNORM,
                                              { 4, 4, 1 },
                                              1,
                                              0,
                                              SampleCountFlagBits::Samples1Bit,
                                              TextureTiling::Optimal,
                                              TextureUsageFlagBits::SampledBit });
    EXPECT_FALSE(noLayers.isValid());
}

TEST_F(TextureTest, ViewOfAnInvalidTextureIsInvalid)
{
    LogCapture log;
    const Handle<TextureView_t> view = manager()->createTextureView(device.handle(), Handle<Texture_t>{ 5, 9 }, {});
    EXPECT_FALSE(view.isValid());
    EXPECT_TRUE(log.contains(spdlog::level::err, "Could not find a valid texture"));
}

TEST_F(TextureTest, SamplersAndTheirCreateInfo)
{
    struct Case {
        float lodMaxClamp;
        float expectedMaxLod;
        bool normalized;
        VkBool32 expectedUnnormalized;
    };
    const Case cases[] = {
        { LodClampNone, VK_LOD_CLAMP_NONE, true, VK_FALSE },
        { 12.0f, 12.0f, true, VK_FALSE },
        { 0.0f, 0.0f, false, VK_TRUE },
    };
    for (const Case &c : cases) {
        SamplerOptions options;
        options.magFilter = FilterMode::Linear;
        options.minFilter = FilterMode::Linear;
        options.mipmapFilter = MipmapFilterMode::Linear;
        options.u = AddressMode::ClampToEdge;
        options.lodMaxClamp = c.lodMaxClamp;
        options.normalizedCoordinates = c.normalized;
        if (!c.normalized) {
            // Vulkan's rules for unnormalised coordinates: same min/mag filter, nearest mip, clamped addressing.
            options.mipmapFilter = MipmapFilterMode::Nearest;
            options.u = options.v = options.w = AddressMode::ClampToEdge;
        }
        const VkSamplerCreateInfo info = samplerCreateInfo(options);
        EXPECT_EQ(info.maxLod, c.expectedMaxLod);
        EXPECT_EQ(info.unnormalizedCoordinates, c.expectedUnnormalized);
        EXPECT_EQ(info.addressModeU, VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE);
        EXPECT_EQ(info.borderColor, VK_BORDER_COLOR_FLOAT_TRANSPARENT_BLACK);
        EXPECT_EQ(info.mipLodBias, 0.0f);

        Sampler sampler = device.createSampler(options);
        EXPECT_TRUE(sampler.isValid());
        EXPECT_NE(manager()->getSampler(sampler.handle()), nullptr);
    }
    Sampler moved = device.createSampler();
    const Handle<Sampler_t> handle = moved.handle();
    Sampler target = device.createSampler();
    const Handle<Sampler_t> targetHandle = target.handle();
    target = std::move(moved);
    EXPECT_EQ(manager()->getSampler(targetHandle), nullptr);
    EXPECT_EQ(target.handle(), handle);
}

TEST_F(TextureTest, MovingTexturesAndViewsDeletesTheTargetsFirst)
{
    const TextureOptions options{ TextureType::TextureType2D,
                                  Format::R8G8B8A8_UNORM,
                                  { 16, 16, 1 },
                                  1,
                                  1,
                                  SampleCountFlagBits::Samples1Bit,
                                  TextureTiling::Optimal,
                                  TextureUsageFlagBits::SampledBit };
    Texture first = device.createTexture(options);
    Texture second = device.createTexture(options);
    TextureView firstView = first.createView();
    TextureView secondView = second.createView();
    const Handle<TextureView_t> firstViewHandle = firstView.handle();
    const Handle<TextureView_t> secondViewHandle = secondView.handle();
    firstView = std::move(secondView);
    EXPECT_EQ(manager()->getTextureView(firstViewHandle), nullptr);
    EXPECT_EQ(firstView.handle(), secondViewHandle);
    EXPECT_FALSE(secondView.isValid());
    firstView = {}; // views go before their textures

    const Handle<Texture_t> firstHandle = first.handle();
    const Handle<Texture_t> secondHandle = second.handle();
    first = std::move(second);
    EXPECT_EQ(manager()->getTexture(firstHandle), nullptr);
    EXPECT_EQ(first.handle(), secondHandle);
    EXPECT_EQ(allocatorStatistics().allocationCount, 1u);
}

TEST_F(TextureTest, ExportedTextureMemoryGivesAFileDescriptorWhenTheDeviceCanExport)
{
    DeviceOptions deviceOptions;
    deviceOptions.extensions = { VK_KHR_EXTERNAL_MEMORY_FD_EXTENSION_NAME };
    Device exporting = adapter->createDevice(deviceOptions);
    ASSERT_TRUE(exporting.isValid());
    if (!manager()->getDevice(exporting.handle())->vkGetMemoryFdKHR)
        GTEST_SKIP() << "the adapter cannot export memory as file descriptors";
    TextureOptions options{ TextureType::TextureType2D,
                            Format::R8G8B8A8_UNORM,
                            { 64, 64, 1 },
                            1,
                            1,
                            SampleCountFlagBits::Samples1Bit,
                            TextureTiling::Optimal,
                            TextureUsageFlagBits::SampledBit | TextureUsageFlagBits::ColorAttachmentBit };
    options.externalMemoryHandleType = ExternalMemoryHandleTypeFlagBits::OpaqueFdBit;
    Texture texture = exporting.createTexture(options);
    ASSERT_TRUE(texture.isValid());
    const MemoryHandle handle = texture.externalMemoryHandle();
    ASSERT_TRUE(std::holds_alternative<FileDescriptorHandle>(handle));
    EXPECT_GE(std::get<FileDescriptorHandle>(handle).fd, 0);
    close(std::get<FileDescriptorHandle>(handle).fd);
}
