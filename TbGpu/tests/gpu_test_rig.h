#pragma once

// A reusable fixture for tests that need a real device: an instance made by the library with the Khronos
// validation layer and VK_EXT_debug_utils, a messenger that records every warning and error and fails the
// running test on each validation error (and at its end on any warning), and the default device (a discrete or
// integrated GPU when there is one, else the CPU adapter, which is lavapipe on the test machines), opened
// without a surface.

#include "log_capture.h"

#include <TbGpu/instance.h>
#include <TbGpu/vulkan/vulkan_graphics_api.h>
#include <TbGpu/vulkan/vulkan_resource_manager.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace TbGpuTest {

// Records validation messages of one instance. Errors fail the running test at once, with the message.
class ValidationRecorder
{
public:
    struct Message {
        VkDebugUtilsMessageSeverityFlagBitsEXT severity;
        std::string idName;
        std::string text;
    };

    ~ValidationRecorder() { detach(); }

    // Installs a messenger for warnings and errors on the instance.
    void attach(VkInstance instance)
    {
        m_instance = instance;
        auto create = reinterpret_cast<PFN_vkCreateDebugUtilsMessengerEXT>(
                vkGetInstanceProcAddr(instance, "vkCreateDebugUtilsMessengerEXT"));
        ASSERT_NE(create, nullptr) << "VK_EXT_debug_utils is not available";
        VkDebugUtilsMessengerCreateInfoEXT info = createInfo();
        ASSERT_EQ(create(instance, &info, nullptr, &m_messenger), VK_SUCCESS);
    }

    void detach()
    {
        if (m_messenger == VK_NULL_HANDLE)
            return;
        auto destroy = reinterpret_cast<PFN_vkDestroyDebugUtilsMessengerEXT>(
                vkGetInstanceProcAddr(m_instance, "vkDestroyDebugUtilsMessengerEXT"));
        destroy(m_instance, m_messenger, nullptr);
        m_messenger = VK_NULL_HANDLE;
    }

    // For chaining into VkInstanceCreateInfo, so instance creation and destruction are watched too.
    VkDebugUtilsMessengerCreateInfoEXT createInfo()
    {
        VkDebugUtilsMessengerCreateInfoEXT info{ VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CREATE_INFO_EXT };
        info.messageSeverity =
                VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT;
        info.messageType = VK_DEBUG_UTILS_MESSAGE_TYPE_GENERAL_BIT_EXT |
                VK_DEBUG_UTILS_MESSAGE_TYPE_VALIDATION_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_TYPE_PERFORMANCE_BIT_EXT;
        info.pfnUserCallback = &ValidationRecorder::callback;
        info.pUserData = this;
        return info;
    }

    const std::vector<Message> &messages() const { return m_messages; }
    size_t errorCount() const
    {
        size_t count = 0;
        for (const Message &message : m_messages)
            count += (message.severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT) ? 1 : 0;
        return count;
    }

private:
    static VKAPI_ATTR VkBool32 VKAPI_CALL callback(VkDebugUtilsMessageSeverityFlagBitsEXT severity,
                                                   VkDebugUtilsMessageTypeFlagsEXT,
                                                   const VkDebugUtilsMessengerCallbackDataEXT *data, void *user)
    {
        auto *self = static_cast<ValidationRecorder *>(user);
        Message message{ severity, data->pMessageIdName ? data->pMessageIdName : "",
                         data->pMessage ? data->pMessage : "" };
        if (severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT)
            ADD_FAILURE() << "Vulkan validation error " << message.idName << ": " << message.text;
        self->m_messages.push_back(std::move(message));
        return VK_FALSE;
    }

    VkInstance m_instance{ VK_NULL_HANDLE };
    VkDebugUtilsMessengerEXT m_messenger{ VK_NULL_HANDLE };
    std::vector<Message> m_messages;
};

inline TbGpu::InstanceOptions validatedInstanceOptions()
{
    TbGpu::InstanceOptions options;
    options.applicationName = "TbGpu tests";
    options.layers = { "VK_LAYER_KHRONOS_validation" };
    options.extensions = { VK_EXT_DEBUG_UTILS_EXTENSION_NAME };
    return options;
}

// The adapter type the rig opens: the default choice when the machine has a GPU, the CPU adapter otherwise.
inline TbGpu::AdapterDeviceType rigAdapterType(TbGpu::Instance &instance)
{
    return instance.selectAdapter(TbGpu::AdapterDeviceType::Default) ? TbGpu::AdapterDeviceType::Default
                                                                       : TbGpu::AdapterDeviceType::Cpu;
}

class GpuTestRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        instance = TbGpu::Instance(&api, validatedInstanceOptions());
        ASSERT_TRUE(instance.isValid());
        validation.attach(manager()->getInstance(instance.handle())->instance);
        TbGpu::DefaultDevice opened = instance.createDefaultDevice(TbGpu::Surface{}, rigAdapterType(instance));
        adapter = opened.adapter;
        device = std::move(opened.device);
        ASSERT_NE(adapter, nullptr);
        ASSERT_TRUE(device.isValid());
    }

    // Warnings fail the test too, at its end: a clean run leaves no validation message at all.
    void TearDown() override
    {
        device = {};
        validation.detach();
        instance = {};
        for (const ValidationRecorder::Message &message : validation.messages()) {
            if (message.severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT)
                ADD_FAILURE() << "Vulkan validation warning " << message.idName << ": " << message.text;
        }
    }

    TbGpu::VulkanResourceManager *manager() { return api.vulkanResourceManager(); }
    TbGpu::VulkanDevice *deviceRecord() { return manager()->getDevice(device.handle()); }
    TbGpu::MemoryAllocatorStatistics allocatorStatistics() { return deviceRecord()->allocator->statistics(); }

    TbGpu::VulkanGraphicsApi api;
    ValidationRecorder validation;
    TbGpu::Instance instance;
    TbGpu::Adapter *adapter{ nullptr };
    TbGpu::Device device;
};

} // namespace TbGpuTest
