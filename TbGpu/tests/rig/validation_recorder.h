#pragma once

// Vulkan instances for tests, watched by the Khronos validation layer with its synchronization validation on.
// Every warning and error either reports is recorded; errors fail the running test at once, with the message.
// Nothing here goes through TbGpu: a test adopts the instance (as the application adopts Qt's), so the same
// instance serves tests of the library, of the engine and of the application.

#include <vulkan/vulkan.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace TbGpuTest {

// Records the validation messages of one instance.
class ValidationRecorder
{
public:
    struct Message {
        VkDebugUtilsMessageSeverityFlagBitsEXT severity;
        std::string idName;
        std::string text;
    };

    ValidationRecorder() = default;
    ValidationRecorder(const ValidationRecorder &) = delete;
    ValidationRecorder &operator=(const ValidationRecorder &) = delete;
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
        return static_cast<size_t>(std::count_if(m_messages.begin(), m_messages.end(), [](const Message &message) {
            return (message.severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT) != 0;
        }));
    }
    // Messages whose identifier starts with the prefix ("SYNC-HAZARD", "VUID-vkCmdDraw").
    size_t countWithId(const std::string &prefix) const
    {
        return static_cast<size_t>(std::count_if(m_messages.begin(), m_messages.end(), [&](const Message &message) {
            return message.idName.rfind(prefix, 0) == 0;
        }));
    }

    // Fails the running test on every warning recorded so far; errors failed it when they came.
    void failOnWarnings() const
    {
        for (const Message &message : m_messages) {
            if (message.severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT)
                ADD_FAILURE() << "Vulkan validation warning " << message.idName << ": " << message.text;
        }
    }

    // While an expectation lives, errors with its identifier prefix are recorded without failing the test: for
    // tests that show the layer catching a hazard on purpose.
    class Expectation
    {
    public:
        Expectation(ValidationRecorder &recorder, std::string prefix)
            : m_recorder(recorder)
        {
            m_recorder.m_expectedPrefixes.push_back(std::move(prefix));
        }
        ~Expectation() { m_recorder.m_expectedPrefixes.pop_back(); }
        Expectation(const Expectation &) = delete;
        Expectation &operator=(const Expectation &) = delete;

    private:
        ValidationRecorder &m_recorder;
    };

private:
    bool expected(const std::string &idName) const
    {
        return std::any_of(m_expectedPrefixes.begin(), m_expectedPrefixes.end(),
                           [&](const std::string &prefix) { return idName.rfind(prefix, 0) == 0; });
    }

    static VKAPI_ATTR VkBool32 VKAPI_CALL callback(VkDebugUtilsMessageSeverityFlagBitsEXT severity,
                                                   VkDebugUtilsMessageTypeFlagsEXT,
                                                   const VkDebugUtilsMessengerCallbackDataEXT *data, void *user)
    {
        auto *self = static_cast<ValidationRecorder *>(user);
        Message message{ severity, data->pMessageIdName ? data->pMessageIdName : "",
                         data->pMessage ? data->pMessage : "" };
        if ((severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT) && !self->expected(message.idName))
            ADD_FAILURE() << "Vulkan validation error " << message.idName << ": " << message.text;
        self->m_messages.push_back(std::move(message));
        return VK_FALSE;
    }

    VkInstance m_instance{ VK_NULL_HANDLE };
    VkDebugUtilsMessengerEXT m_messenger{ VK_NULL_HANDLE };
    std::vector<Message> m_messages;
    std::vector<std::string> m_expectedPrefixes;
};

// A Vulkan 1.2 instance with the Khronos validation layer, its synchronization validation, VK_EXT_debug_utils and
// the window-system surface extensions the loader offers. Its recorder watches it from vkCreateInstance to
// vkDestroyInstance. Whoever adopts the instance must let go of it before this object goes.
class ValidatedInstance
{
public:
    explicit ValidatedInstance(const char *applicationName = "Tavisher tests")
    {
        VkApplicationInfo application{ VK_STRUCTURE_TYPE_APPLICATION_INFO };
        application.pApplicationName = applicationName;
        application.apiVersion = VK_API_VERSION_1_2;

        const VkValidationFeatureEnableEXT enabled[] = { VK_VALIDATION_FEATURE_ENABLE_SYNCHRONIZATION_VALIDATION_EXT };
        VkValidationFeaturesEXT features{ VK_STRUCTURE_TYPE_VALIDATION_FEATURES_EXT };
        features.enabledValidationFeatureCount = 1;
        features.pEnabledValidationFeatures = enabled;
        VkDebugUtilsMessengerCreateInfoEXT messenger = m_validation.createInfo();
        messenger.pNext = &features;

        const char *layers[] = { "VK_LAYER_KHRONOS_validation" };
        const std::vector<const char *> extensions = wantedExtensions();
        VkInstanceCreateInfo info{ VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO };
        info.pNext = &messenger;
        info.pApplicationInfo = &application;
        info.enabledLayerCount = 1;
        info.ppEnabledLayerNames = layers;
        info.enabledExtensionCount = static_cast<uint32_t>(extensions.size());
        info.ppEnabledExtensionNames = extensions.data();
        const VkResult result = vkCreateInstance(&info, nullptr, &m_instance);
        EXPECT_EQ(result, VK_SUCCESS) << "the validation layer and its extensions are needed";
        if (result != VK_SUCCESS)
            m_instance = VK_NULL_HANDLE;
        else
            m_validation.attach(m_instance);
    }
    ~ValidatedInstance()
    {
        if (m_instance == VK_NULL_HANDLE)
            return;
        m_validation.detach();
        vkDestroyInstance(m_instance, nullptr); // still watched through the chained messenger
    }
    ValidatedInstance(const ValidatedInstance &) = delete;
    ValidatedInstance &operator=(const ValidatedInstance &) = delete;

    VkInstance handle() const noexcept { return m_instance; }
    ValidationRecorder &validation() noexcept { return m_validation; }

private:
    static std::vector<const char *> wantedExtensions()
    {
        std::vector<const char *> wanted = { VK_EXT_DEBUG_UTILS_EXTENSION_NAME,
                                             VK_EXT_VALIDATION_FEATURES_EXTENSION_NAME };
        uint32_t count = 0;
        vkEnumerateInstanceExtensionProperties(nullptr, &count, nullptr);
        std::vector<VkExtensionProperties> available(count);
        vkEnumerateInstanceExtensionProperties(nullptr, &count, available.data());
        for (const char *surface : { "VK_KHR_surface", "VK_KHR_xcb_surface", "VK_KHR_win32_surface" }) {
            const bool offered = std::any_of(available.begin(), available.end(), [&](const VkExtensionProperties &p) {
                return std::strcmp(p.extensionName, surface) == 0;
            });
            if (offered)
                wanted.push_back(surface);
        }
        return wanted;
    }

    ValidationRecorder m_validation; // before the instance: it outlives it
    VkInstance m_instance{ VK_NULL_HANDLE };
};

} // namespace TbGpuTest
