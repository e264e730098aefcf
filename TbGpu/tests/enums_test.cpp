#include "log_capture.h"
#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_instance.h"

#include <TbGpu/adapter_properties.h>
#include <TbGpu/flags.h>
#include <TbGpu/gpu_core.h>

#include <gtest/gtest.h>

using namespace TbGpu;
using TbGpuTest::LogCapture;

TEST(EnumsTest, EnumeratorsCarryVulkansNumbers)
{
    EXPECT_EQ(static_cast<uint32_t>(Format::R8G8B8A8_UNORM), static_cast<uint32_t>(VK_FORMAT_R8G8B8A8_UNORM));
    EXPECT_EQ(static_cast<uint32_t>(Format::D32_SFLOAT_S8_UINT), static_cast<uint32_t>(VK_FORMAT_D32_SFLOAT_S8_UINT));
    EXPECT_EQ(static_cast<uint32_t>(Format::ASTC_12x12_SRGB_BLOCK),
              static_cast<uint32_t>(VK_FORMAT_ASTC_12x12_SRGB_BLOCK));
    EXPECT_EQ(static_cast<uint32_t>(TextureLayout::PresentSrc), static_cast<uint32_t>(VK_IMAGE_LAYOUT_PRESENT_SRC_KHR));
    EXPECT_EQ(static_cast<uint32_t>(BufferUsageFlagBits::StorageBufferBit), VK_BUFFER_USAGE_STORAGE_BUFFER_BIT);
    EXPECT_EQ(static_cast<uint32_t>(ResourceBindingType::UniformBufferDynamic),
              static_cast<uint32_t>(VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER_DYNAMIC));
    EXPECT_EQ(static_cast<uint64_t>(PipelineStageFlagBits::ColorAttachmentOutputBit),
              VK_PIPELINE_STAGE_2_COLOR_ATTACHMENT_OUTPUT_BIT);
    EXPECT_EQ(static_cast<uint64_t>(AccessFlagBits::ShaderSampledReadBit), VK_ACCESS_2_SHADER_SAMPLED_READ_BIT);
    EXPECT_EQ(static_cast<uint32_t>(PresentMode::SharedContinuousRefresh), 1000111001u);
    EXPECT_EQ(static_cast<uint32_t>(SampleCountFlagBits::Samples4Bit), 4u);
    EXPECT_EQ(static_cast<uint32_t>(AdapterDeviceType::Default), 0x7FFFFFFEu);
    EXPECT_EQ(static_cast<uint32_t>(MemoryUsage::GpuToCpu), 4u);
    EXPECT_EQ(static_cast<uint32_t>(MemoryUsage::GpuLazilyAllocated), 6u);
    EXPECT_EQ(static_cast<int32_t>(ResultCode::ErrorOutOfDate), static_cast<int32_t>(VK_ERROR_OUT_OF_DATE_KHR));
}

TEST(FlagsTest, CombinesBitsAndKeepsTheRawValue)
{
    const BufferUsageFlags usage = BufferUsageFlagBits::VertexBufferBit | BufferUsageFlagBits::TransferDstBit;
    EXPECT_EQ(usage.toInt(),
              static_cast<uint32_t>(VK_BUFFER_USAGE_VERTEX_BUFFER_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT));
    EXPECT_TRUE(usage.testFlag(BufferUsageFlagBits::VertexBufferBit));
    EXPECT_FALSE(usage.testFlag(BufferUsageFlagBits::IndexBufferBit));
    EXPECT_FALSE(BufferUsageFlags{});
    static_assert(sizeof(AccessFlags) == 8 && sizeof(TextureUsageFlags) == 4);
    EXPECT_EQ(AccessFlags(AccessFlagBits::MemoryWriteBit).toInt(), 0x10000ull);
}

TEST(EnumsTest, SynchronisationFlagsNarrowWithAWarningAboveBit31)
{
    struct Case {
        uint64_t value;
        uint32_t narrowed;
        bool warns;
    };
    const Case cases[] = {
        { 0x100000000ull, 0x0u, true },
        { 0x80000000ull, 0x80000000u, true },
        { 0x7FFFFFFFull, 0x7FFFFFFFu, false },
        { 0x400ull, 0x400u, false },
    };
    for (const Case &c : cases) {
        {
            LogCapture log;
            EXPECT_EQ(accessFlagsToVkAccessFlagBits(AccessFlags::fromInt(c.value)), c.narrowed) << c.value;
            EXPECT_EQ(log.count("The requested AccessFlags are not supported without the VK_KHR_Synchronization2 "
                                "extension."),
                      c.warns ? 1u : 0u)
                    << c.value;
        }
        {
            LogCapture log;
            EXPECT_EQ(pipelineStageFlagsToVkPipelineStageFlagBits(PipelineStageFlags::fromInt(c.value)), c.narrowed);
            EXPECT_EQ(log.count("The requested PipelineStageFlags are not supported without the "
                                "VK_KHR_Synchronization2 extension."),
                      c.warns ? 1u : 0u)
                    << c.value;
        }
    }
}

TEST(EnumsTest, PhysicalDeviceTypes)
{
    EXPECT_EQ(vkPhysicalDeviceTypeToAdapterDeviceType(VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU),
              AdapterDeviceType::DiscreteGpu);
    EXPECT_EQ(vkPhysicalDeviceTypeToAdapterDeviceType(VK_PHYSICAL_DEVICE_TYPE_CPU), AdapterDeviceType::Cpu);
    LogCapture log;
    EXPECT_EQ(vkPhysicalDeviceTypeToAdapterDeviceType(static_cast<VkPhysicalDeviceType>(5)),
              AdapterDeviceType::MaxEnum);
    EXPECT_TRUE(log.contains(spdlog::level::warn, "Unknown adapter type"));
}

TEST(EnumsTest, TextureTypeToImageType)
{
    EXPECT_EQ(textureTypeToVkImageType(TextureType::TextureType1D), VK_IMAGE_TYPE_1D);
    EXPECT_EQ(textureTypeToVkImageType(TextureType::TextureType2D), VK_IMAGE_TYPE_2D);
    EXPECT_EQ(textureTypeToVkImageType(TextureType::TextureType3D), VK_IMAGE_TYPE_3D);
    EXPECT_EQ(textureTypeToVkImageType(TextureType::TextureTypeCube), VK_IMAGE_TYPE_2D);
}

TEST(EnumsTest, ResultTexts)
{
    const std::pair<VkResult, const char *> cases[] = {
        { VK_SUCCESS, "SUCCESS" },
        { VK_ERROR_OUT_OF_HOST_MEMORY, "OUT OF HOST MEMORY" },
        { VK_ERROR_OUT_OF_DEVICE_MEMORY, "OUT OF DEVICE MEMORY" },
        { VK_ERROR_INITIALIZATION_FAILED, "INITIALIZATION FAILED" },
        { VK_ERROR_LAYER_NOT_PRESENT, "LAYER NOT PRESENT" },
        { VK_ERROR_EXTENSION_NOT_PRESENT, "EXTENSION NOT PRESENT" },
        { VK_ERROR_INCOMPATIBLE_DRIVER, "INCOMPATIBLE DRIVER" },
        { VK_ERROR_DEVICE_LOST, "UNKNOWN RESULT" },
        { VK_TIMEOUT, "UNKNOWN RESULT" },
    };
    for (const auto &[result, text] : cases)
        EXPECT_EQ(vulkanResultToString(result), text) << result;
}

TEST(AdapterSelectionTest, PresentModeNames)
{
    EXPECT_STREQ(presentModeName(PresentMode::Immediate), "Immediate");
    EXPECT_STREQ(presentModeName(PresentMode::Mailbox), "Mailbox");
    EXPECT_STREQ(presentModeName(PresentMode::Fifo), "Fifo");
    EXPECT_STREQ(presentModeName(PresentMode::FifoRelaxed), "Fifo Relaxed");
    EXPECT_STREQ(presentModeName(PresentMode::SharedDemandRefresh), "Shared Demand Refresh");
    EXPECT_STREQ(presentModeName(PresentMode::SharedContinuousRefresh), "Shared Continuous Refresh");
    EXPECT_STREQ(presentModeName(static_cast<PresentMode>(7)), "Unknown");
}

TEST(AdapterSelectionTest, PreferenceOrder)
{
    using T = AdapterDeviceType;
    struct Case {
        std::vector<T> adapters;
        T wish;
        std::vector<size_t> ranked;
    };
    const Case cases[] = {
        { { T::IntegratedGpu, T::DiscreteGpu }, T::Default, { 1, 0 } }, // discrete wins even when listed second
        { { T::Cpu, T::VirtualGpu, T::IntegratedGpu, T::DiscreteGpu }, T::Default, { 3, 2, 1, 0 } },
        { { T::Cpu }, T::Default, { 0 } }, // a software rasteriser is the last resort, not no adapter
        { { T::Other, T::Cpu }, T::Default, { 1 } },
        { { T::DiscreteGpu, T::Cpu, T::Cpu }, T::Cpu, { 1, 2 } },
        { { T::DiscreteGpu }, T::Cpu, {} }, // an explicit wish never falls back
        { {}, T::Default, {} },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(rankAdapters(c.adapters, c.wish), c.ranked);
        EXPECT_EQ(selectAdapterIndex(c.adapters, c.wish), c.ranked.empty() ? -1 : int(c.ranked.front()));
    }
}

namespace {

VkDebugUtilsMessengerCallbackDataEXT messageData(const char *id, const char *text)
{
    VkDebugUtilsMessengerCallbackDataEXT data{ VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CALLBACK_DATA_EXT };
    data.pMessageIdName = id;
    data.pMessage = text;
    return data;
}

} // namespace

TEST(DebugCallbackTest, LevelsAndTheIgnoredSwapchainExtentMessage)
{
    LogCapture log;
    auto ignored = messageData("VUID-VkSwapchainCreateInfoKHR-imageExtent-01274", "extent");
    EXPECT_EQ(debugCallback(VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT, 0, &ignored, nullptr), VK_FALSE);
    EXPECT_TRUE(log.lines().empty());

    auto warning = messageData("VUID-some-warning", "careful");
    auto error = messageData("VUID-some-error", "broken");
    auto info = messageData("info", "note");
    auto verbose = messageData("verbose", "chatter");
    debugCallback(VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT, 0, &warning, nullptr);
    debugCallback(VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT, 0, &error, nullptr);
    debugCallback(VK_DEBUG_UTILS_MESSAGE_SEVERITY_INFO_BIT_EXT, 0, &info, nullptr);
    EXPECT_EQ(debugCallback(VK_DEBUG_UTILS_MESSAGE_SEVERITY_VERBOSE_BIT_EXT, 0, &verbose, nullptr), VK_FALSE);
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].level, spdlog::level::warn);
    EXPECT_EQ(lines[0].text, "validation layer: careful");
    EXPECT_EQ(lines[1].level, spdlog::level::err);
    EXPECT_EQ(lines[1].text, "validation layer: broken");
    EXPECT_EQ(lines[2].level, spdlog::level::info);
    EXPECT_EQ(lines[2].text, "validation layer: note");
}

TEST(LoggerTest, IsNamedTbGpuAndRegistered)
{
    auto logger = Logger::logger();
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(logger->name(), "TbGpu");
    EXPECT_EQ(spdlog::get("TbGpu"), logger);
    EXPECT_EQ(Logger::logger(), logger) << "one shared logger";
}

namespace LoggingSample {
struct Widget {
    std::string where() const { return qualifiedFunctionName(TBGPU_PRETTY_FUNCTION); }
};
} // namespace LoggingSample

TEST(LoggerTest, RecordsCarryTheQualifiedFunctionName)
{
    struct Case {
        const char *signature;
        const char *expected;
    };
    const Case cases[] = {
        { "TbGpu::Handle<TbGpu::Buffer_t> TbGpu::VulkanResourceManager::createBuffer(const "
          "TbGpu::Handle<TbGpu::Device_t>&, "
          "const TbGpu::BufferOptions&, const void*)",
          "TbGpu::VulkanResourceManager::createBuffer" },
        { "TbGpu::DefaultDevice TbGpu::Instance::createDefaultDevice(const TbGpu::Surface&, TbGpu::AdapterDeviceType)",
          "TbGpu::Instance::createDefaultDevice" },
        { "VkBool32 TbGpu::debugCallback(VkDebugUtilsMessageSeverityFlagBitsEXT, VkDebugUtilsMessageTypeFlagsEXT, "
          "const VkDebugUtilsMessengerCallbackDataEXT*, void*)",
          "TbGpu::debugCallback" },
        { "TbGpu::Logger::logger()::<lambda()>", "TbGpu::Logger::logger" },
        { "bool Foo<std::pair<int, int> >::operator()(int) const", "Foo<std::pair<int, int> >::operator()" },
        { "main", "main" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(qualifiedFunctionName(c.signature), c.expected);
    EXPECT_EQ(LoggingSample::Widget{}.where(), "LoggingSample::Widget::where");
}
