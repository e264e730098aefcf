#include "vulkan/vulkan_resource_manager.h"

#include "vulkan/vulkan_adapter_structs.h"
#include "vulkan/vulkan_create_infos.h"
#include "vulkan/vulkan_enums.h"
#include "vulkan/vulkan_one_shot_commands.h"
#include "vulkan/vulkan_platform_surface.h"

#include <TbGpu/utils/logging.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace TbGpu {

namespace {

bool contains(const std::vector<Extension> &available, const std::string &name)
{
    return std::any_of(available.begin(), available.end(),
                       [&name](const Extension &extension) { return extension.name == name; });
}

} // namespace

VulkanResourceManager::VulkanResourceManager() = default;
VulkanResourceManager::~VulkanResourceManager() = default;

// ---- Instances ------------------------------------------------------------------------------------------------

Handle<Instance_t> VulkanResourceManager::createInstance(const InstanceOptions &options)
{
    VkApplicationInfo applicationInfo{ VK_STRUCTURE_TYPE_APPLICATION_INFO };
    applicationInfo.pApplicationName = options.applicationName.c_str();
    applicationInfo.applicationVersion = options.applicationVersion;
    applicationInfo.pEngineName = "TbGpu";
    applicationInfo.engineVersion = VK_MAKE_API_VERSION(0, 0, 1, 0);
    applicationInfo.apiVersion = VK_API_VERSION_1_2;

    std::vector<const char *> layers; // the default list is empty
    for (const std::string &layer : options.layers)
        layers.push_back(layer.c_str());

    const std::vector<Extension> available = getInstanceExtensions();
    std::vector<const char *> extensions;
    for (const char *name : { VK_KHR_SURFACE_EXTENSION_NAME, platformSurfaceExtensionName() }) {
        if (contains(available, name))
            extensions.push_back(name);
        else
            TBGPU_LOG_WARN("Unable to find default requested extension {}", name);
    }
    bool debugUtilsEnabled = false;
    for (const std::string &name : options.extensions) {
        if (contains(available, name)) {
            extensions.push_back(name.c_str());
            debugUtilsEnabled |= name == VK_EXT_DEBUG_UTILS_EXTENSION_NAME;
        } else {
            TBGPU_LOG_WARN("Unable to find user requested extensions {}", name);
        }
    }

    VkInstanceCreateInfo createInfo{ VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO };
    createInfo.pApplicationInfo = &applicationInfo;
    createInfo.enabledLayerCount = static_cast<uint32_t>(layers.size());
    createInfo.ppEnabledLayerNames = layers.data();
    createInfo.enabledExtensionCount = static_cast<uint32_t>(extensions.size());
    createInfo.ppEnabledExtensionNames = extensions.data();

    VkInstance instance = VK_NULL_HANDLE;
    const VkResult result = vkCreateInstance(&createInfo, nullptr, &instance);
    if (result != VK_SUCCESS)
        throw std::runtime_error("Failed to create Vulkan instance: " + vulkanResultToString(result));

    VulkanInstance record(this, instance, true);
    // The messenger is only legal when VK_EXT_debug_utils is enabled; the loader may hand out the entry point anyway.
    auto createMessenger = reinterpret_cast<PFN_vkCreateDebugUtilsMessengerEXT>(
            vkGetInstanceProcAddr(instance, "vkCreateDebugUtilsMessengerEXT"));
    if (debugUtilsEnabled && createMessenger) {
        VkDebugUtilsMessengerCreateInfoEXT messengerInfo{ VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CREATE_INFO_EXT };
        messengerInfo.messageSeverity = VK_DEBUG_UTILS_MESSAGE_SEVERITY_VERBOSE_BIT_EXT |
                VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT;
        messengerInfo.messageType = VK_DEBUG_UTILS_MESSAGE_TYPE_GENERAL_BIT_EXT |
                VK_DEBUG_UTILS_MESSAGE_TYPE_VALIDATION_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_TYPE_PERFORMANCE_BIT_EXT;
        messengerInfo.pfnUserCallback = debugCallback;
        if (createMessenger(instance, &messengerInfo, nullptr, &record.debugMessenger) != VK_SUCCESS)
            record.debugMessenger = VK_NULL_HANDLE;
    }
    return m_instances.insert(std::move(record));
}

Handle<Instance_t> VulkanResourceManager::createInstanceFromExistingVkInstance(VkInstance instance)
{
    return m_instances.insert(VulkanInstance(this, instance, false));
}

Handle<Instance_t> VulkanResourceManager::handleOfInstance(const VulkanInstance *record)
{
    Handle<Instance_t> result;
    m_instances.forEachAlive([&](const Handle<Instance_t> &handle, const VulkanInstance &candidate) {
        if (&candidate == record)
            result = handle;
    });
    return result;
}

void VulkanResourceManager::deleteInstance(const Handle<Instance_t> &handle)
{
    VulkanInstance *instance = m_instances.get(handle);
    if (!instance)
        return;
    if (instance->isOwned) {
        if (instance->debugMessenger != VK_NULL_HANDLE) {
            auto destroyMessenger = reinterpret_cast<PFN_vkDestroyDebugUtilsMessengerEXT>(
                    vkGetInstanceProcAddr(instance->instance, "vkDestroyDebugUtilsMessengerEXT"));
            if (destroyMessenger)
                destroyMessenger(instance->instance, instance->debugMessenger, nullptr);
        }
        vkDestroyInstance(instance->instance, nullptr);
    }
    m_instances.remove(handle);
}

// ---- Devices --------------------------------------------------------------------------------------------------

Handle<Device_t> VulkanResourceManager::createDevice(const Handle<Adapter_t> &adapterHandle,
                                                     const DeviceOptions &options,
                                                     std::vector<QueueRequest> &queueRequests)
{
    VulkanAdapter *adapter = m_adapters.get(adapterHandle);
    if (!adapter) {
        TBGPU_LOG_ERROR("Could not find a valid adapter");
        return {};
    }

    queueRequests = options.queues;
    if (queueRequests.empty())
        queueRequests.push_back({ 0, 1, { 1.0f } });
    std::vector<VkDeviceQueueCreateInfo> queueInfos;
    for (const QueueRequest &request : queueRequests) {
        VkDeviceQueueCreateInfo queueInfo{ VK_STRUCTURE_TYPE_DEVICE_QUEUE_CREATE_INFO };
        queueInfo.queueFamilyIndex = request.queueTypeIndex;
        queueInfo.queueCount = request.count;
        queueInfo.pQueuePriorities = request.priorities.data();
        queueInfos.push_back(queueInfo);
    }

    const std::vector<Extension> available = adapter->extensions();
    std::vector<std::string> enabled;
    std::vector<std::string> wanted = { VK_KHR_SWAPCHAIN_EXTENSION_NAME, VK_KHR_SYNCHRONIZATION_2_EXTENSION_NAME };
    wanted.insert(wanted.end(), options.extensions.begin(), options.extensions.end());
    for (const std::string &name : wanted) {
        if (contains(available, name)) {
            if (std::find(enabled.begin(), enabled.end(), name) == enabled.end())
                enabled.push_back(name);
        } else {
            TBGPU_LOG_WARN("Unable to find default requested device extension {}", name);
        }
    }
    std::vector<const char *> enabledNames;
    for (const std::string &name : enabled)
        enabledNames.push_back(name.c_str());
    const bool synchronization2Enabled =
            std::find(enabled.begin(), enabled.end(), VK_KHR_SYNCHRONIZATION_2_EXTENSION_NAME) != enabled.end();

    const AdapterFeatures &requested = options.requestedFeatures;
    VkPhysicalDeviceSynchronization2FeaturesKHR synchronization2{
        VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_SYNCHRONIZATION_2_FEATURES_KHR
    };
    synchronization2.synchronization2 = adapter->supportsSynchronization2 ? VK_TRUE : VK_FALSE;
    VkPhysicalDeviceMultiviewFeatures multiView{ VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_MULTIVIEW_FEATURES };
    multiView.multiview = requested.multiView ? VK_TRUE : VK_FALSE;
    multiView.multiviewGeometryShader = requested.multiViewGeometryShader ? VK_TRUE : VK_FALSE;
    multiView.multiviewTessellationShader = requested.multiViewTessellationShader ? VK_TRUE : VK_FALSE;
    // The synchronization2 structure is only legal in the chain when its extension is enabled.
    if (synchronization2Enabled)
        multiView.pNext = &synchronization2;
    VkPhysicalDeviceUniformBufferStandardLayoutFeatures standardLayout{
        VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_UNIFORM_BUFFER_STANDARD_LAYOUT_FEATURES
    };
    standardLayout.uniformBufferStandardLayout = requested.uniformBufferStandardLayout ? VK_TRUE : VK_FALSE;
    standardLayout.pNext = &multiView;
    VkPhysicalDeviceFeatures2 features2{ VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_FEATURES_2 };
    features2.features = coreFeaturesToVulkan(requested);
    features2.pNext = &standardLayout;

    VkDeviceCreateInfo createInfo{ VK_STRUCTURE_TYPE_DEVICE_CREATE_INFO };
    createInfo.pNext = &features2;
    createInfo.queueCreateInfoCount = static_cast<uint32_t>(queueInfos.size());
    createInfo.pQueueCreateInfos = queueInfos.data();
    createInfo.enabledExtensionCount = static_cast<uint32_t>(enabledNames.size());
    createInfo.ppEnabledExtensionNames = enabledNames.data();

    VkDevice device = VK_NULL_HANDLE;
    const VkResult result = vkCreateDevice(adapter->physicalDevice, &createInfo, nullptr, &device);
    if (result != VK_SUCCESS)
        throw std::runtime_error("Failed to create a logical device: " + vulkanResultToString(result));

    VulkanDevice record(device, this, adapterHandle, std::move(enabled), true);
    record.sampleRateShadingEnabled = requested.sampleRateShading;
    return m_devices.insert(std::move(record));
}

VulkanDevice *VulkanResourceManager::findDevice(const Handle<Device_t> &handle, const std::source_location &caller)
{
    VulkanDevice *device = m_devices.get(handle);
    if (!device)
        logAt(caller, spdlog::level::err, "Could not find a valid device");
    return device;
}

void VulkanResourceManager::deleteDevice(const Handle<Device_t> &handle)
{
    VulkanDevice *device = m_devices.get(handle);
    if (!device)
        return;
    for (const Handle<RenderPass_t> &renderPass : device->renderPasses.takeAll())
        deleteRenderPass(renderPass);
    for (const Handle<Framebuffer_t> &framebuffer : device->framebuffers.takeAll())
        destroyFramebuffer(device->device, framebuffer);
    for (VkDescriptorPool pool : device->descriptorPools)
        vkDestroyDescriptorPool(device->device, pool, nullptr);
    device->descriptorPools.clear();
    device->descriptorPoolSetCounts.clear();
    for (VkCommandPool &pool : device->commandPools) {
        if (pool != VK_NULL_HANDLE)
            vkDestroyCommandPool(device->device, pool, nullptr);
        pool = VK_NULL_HANDLE;
    }
    if (device->timestampQueryPool != VK_NULL_HANDLE)
        vkDestroyQueryPool(device->device, device->timestampQueryPool, nullptr);
    device->timestampQueryPool = VK_NULL_HANDLE;
    device->allocator.reset();
    if (device->isOwned)
        vkDestroyDevice(device->device, nullptr);
    m_devices.remove(handle);
}

void VulkanResourceManager::destroyFramebuffer(VkDevice device, const Handle<Framebuffer_t> &handle)
{
    if (VulkanFramebuffer *framebuffer = m_framebuffers.get(handle))
        vkDestroyFramebuffer(device, framebuffer->framebuffer, nullptr);
    m_framebuffers.remove(handle);
}

void VulkanResourceManager::deleteRenderPass(const Handle<RenderPass_t> &handle)
{
    VulkanRenderPass *renderPass = m_renderPasses.get(handle);
    if (!renderPass)
        return;
    if (VulkanDevice *device = m_devices.get(renderPass->deviceHandle))
        vkDestroyRenderPass(device->device, renderPass->renderPass, nullptr);
    m_renderPasses.remove(handle);
}

// ---- Surfaces -------------------------------------------------------------------------------------------------

void VulkanResourceManager::deleteSurface(const Handle<Surface_t> &handle)
{
    VulkanSurface *surface = m_surfaces.get(handle);
    if (!surface)
        return;
    if (surface->isOwned)
        vkDestroySurfaceKHR(surface->instance, surface->surface, nullptr);
    m_surfaces.remove(handle);
}

// ---- Buffers --------------------------------------------------------------------------------------------------

Handle<Buffer_t> VulkanResourceManager::createBuffer(const Handle<Device_t> &deviceHandle, const BufferOptions &options,
                                                     const void *initialData)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    if (!device->allocator) {
        TBGPU_LOG_ERROR("Error when creating buffer: {}", static_cast<int>(VK_ERROR_INITIALIZATION_FAILED));
        return {};
    }

    if (options.size == 0) {
        TBGPU_LOG_ERROR("Error when creating buffer: size must be greater than 0"); // Vulkan forbids empty buffers
        return {};
    }

    BufferOptions effective = options;
    // Initial data for memory the host may not reach arrives by a GPU copy, which needs transfer-destination use.
    const bool mayNeedStaging = initialData && !isHostAccessUsage(options.memoryUsage);
    if (mayNeedStaging)
        effective.usage |= BufferUsageFlagBits::TransferDstBit;

    VkExternalMemoryBufferCreateInfo external{};
    const VkBufferCreateInfo createInfo = bufferCreateInfo(effective, external);
    MemoryAllocationCreateInfo allocationInfo;
    allocationInfo.usage = options.memoryUsage;
    allocationInfo.exportHandleTypes = options.externalMemoryHandleType;

    MemoryAllocator &allocator = *device->allocator;
    VkBuffer buffer = VK_NULL_HANDLE;
    MemoryAllocation *allocation = nullptr;
    const VkResult result = allocator.createBuffer(createInfo, allocationInfo, &buffer, &allocation);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating buffer: {}", static_cast<int>(result));
        return {};
    }

    MemoryHandle memoryHandle;
    if (options.externalMemoryHandleType.testFlag(ExternalMemoryHandleTypeFlagBits::OpaqueFdBit) &&
        device->vkGetMemoryFdKHR) {
        VkMemoryGetFdInfoKHR fdInfo{ VK_STRUCTURE_TYPE_MEMORY_GET_FD_INFO_KHR };
        fdInfo.memory = allocator.allocationInfo(allocation).deviceMemory;
        fdInfo.handleType = VK_EXTERNAL_MEMORY_HANDLE_TYPE_OPAQUE_FD_BIT;
        int fd = -1;
        if (device->vkGetMemoryFdKHR(device->device, &fdInfo, &fd) == VK_SUCCESS)
            memoryHandle = FileDescriptorHandle{ fd };
    }

    const Handle<Buffer_t> handle =
            pool<Buffer_t>().insert(VulkanBuffer(buffer, allocation, this, deviceHandle, memoryHandle));

    if (initialData) {
        const bool hostVisible =
                (allocator.allocationInfo(allocation).propertyFlags & VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT) != 0;
        if (mayNeedStaging && (options.memoryUsage == MemoryUsage::GpuOnly || !hostVisible)) {
            const VkResult uploaded = uploadThroughStaging(*this, deviceHandle, buffer, initialData, options.size);
            if (uploaded != VK_SUCCESS) {
                // A buffer without its contents is no buffer the caller asked for.
                TBGPU_LOG_ERROR("Error when uploading initial buffer data: {}", static_cast<int>(uploaded));
                deleteBuffer(handle);
                return {};
            }
        } else {
            VulkanBuffer *record = pool<Buffer_t>().get(handle);
            if (void *mapped = record->map()) {
                std::memcpy(mapped, initialData, options.size);
                record->flush();
                record->unmap();
            }
        }
    }
    return handle;
}

void VulkanResourceManager::deleteBuffer(const Handle<Buffer_t> &handle)
{
    VulkanBuffer *buffer = pool<Buffer_t>().get(handle);
    if (!buffer)
        return;
    VulkanDevice *device = m_devices.get(buffer->deviceHandle);
    if (device && device->allocator)
        device->allocator->destroyBuffer(buffer->buffer, buffer->allocation);
    buffer->allocation = nullptr;
    buffer->mapped = nullptr;
    pool<Buffer_t>().remove(handle);
}

// ---- Textures -------------------------------------------------------------------------------------------------

Handle<Texture_t> VulkanResourceManager::createTexture(const Handle<Device_t> &deviceHandle,
                                                       const TextureOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    if (!device->allocator) {
        TBGPU_LOG_ERROR("Error when creating image: {}", static_cast<int>(VK_ERROR_INITIALIZATION_FAILED));
        return {};
    }

    if (options.extent.width == 0 || options.extent.height == 0 || options.extent.depth == 0 ||
        options.mipLevels == 0 || options.arrayLayers == 0) {
        TBGPU_LOG_ERROR("Error when creating image: extent, mip levels and array layers must be greater than 0");
        return {};
    }

    VkExternalMemoryImageCreateInfo external{};
    const VkImageCreateInfo createInfo = imageCreateInfo(options, external);
    MemoryAllocationCreateInfo allocationInfo;
    allocationInfo.usage = options.memoryUsage;
    allocationInfo.exportHandleTypes = options.externalMemoryHandleType;

    VkImage image = VK_NULL_HANDLE;
    MemoryAllocation *allocation = nullptr;
    const VkResult result = device->allocator->createImage(createInfo, allocationInfo, &image, &allocation);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating image: {}", static_cast<int>(result));
        return {};
    }

    VulkanTexture texture;
    if (options.externalMemoryHandleType.testFlag(ExternalMemoryHandleTypeFlagBits::OpaqueFdBit) &&
        device->vkGetMemoryFdKHR) {
        VkMemoryGetFdInfoKHR fdInfo{ VK_STRUCTURE_TYPE_MEMORY_GET_FD_INFO_KHR };
        fdInfo.memory = device->allocator->allocationInfo(allocation).deviceMemory;
        fdInfo.handleType = VK_EXTERNAL_MEMORY_HANDLE_TYPE_OPAQUE_FD_BIT;
        int fd = -1;
        if (device->vkGetMemoryFdKHR(device->device, &fdInfo, &fd) == VK_SUCCESS)
            texture.memoryHandle = FileDescriptorHandle{ fd };
    }
    texture.image = image;
    texture.allocation = allocation;
    texture.format = options.format;
    texture.extent = options.extent;
    texture.mipLevels = options.mipLevels;
    texture.arrayLayers = options.arrayLayers;
    texture.usage = options.usage;
    texture.ownedBySwapchain = false;
    texture.vulkanResourceManager = this;
    texture.deviceHandle = deviceHandle;
    texture.tiling = options.tiling;
    return pool<Texture_t>().insert(std::move(texture));
}

void VulkanResourceManager::deleteTexture(const Handle<Texture_t> &handle)
{
    VulkanTexture *texture = pool<Texture_t>().get(handle);
    if (!texture || texture->ownedBySwapchain)
        return; // a swapchain image stays with its swapchain
    VulkanDevice *device = m_devices.get(texture->deviceHandle);
    if (device && device->allocator)
        device->allocator->destroyImage(texture->image, texture->allocation);
    texture->allocation = nullptr;
    texture->mapped = nullptr;
    pool<Texture_t>().remove(handle);
}

// ---- Texture views --------------------------------------------------------------------------------------------

Handle<TextureView_t> VulkanResourceManager::createTextureView(const Handle<Device_t> &deviceHandle,
                                                               const Handle<Texture_t> &textureHandle,
                                                               const TextureViewOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    VulkanTexture *texture = pool<Texture_t>().get(textureHandle);
    if (!texture) {
        TBGPU_LOG_ERROR("Could not find a valid texture");
        return {};
    }

    VulkanTextureView record;
    record.format = options.format == Format::UNDEFINED ? texture->format : options.format;
    record.range = options.range;
    if (record.range.aspectMask == 0)
        record.range.aspectMask = aspectFromTextureUsage(texture->usage);

    VkImageViewCreateInfo createInfo{ VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO };
    createInfo.image = texture->image;
    createInfo.viewType = static_cast<VkImageViewType>(options.viewType);
    createInfo.format = formatToVkFormat(record.format);
    createInfo.components = { VK_COMPONENT_SWIZZLE_IDENTITY, VK_COMPONENT_SWIZZLE_IDENTITY,
                              VK_COMPONENT_SWIZZLE_IDENTITY, VK_COMPONENT_SWIZZLE_IDENTITY };
    createInfo.subresourceRange = { record.range.aspectMask, record.range.baseMipLevel, record.range.levelCount,
                                    record.range.baseArrayLayer, record.range.layerCount };
    const VkResult result = vkCreateImageView(device->device, &createInfo, nullptr, &record.imageView);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating image view: {}", static_cast<int>(result));
        return {};
    }
    record.textureHandle = textureHandle;
    record.deviceHandle = deviceHandle;
    return pool<TextureView_t>().insert(record);
}

void VulkanResourceManager::deleteTextureView(const Handle<TextureView_t> &handle)
{
    VulkanTextureView *view = pool<TextureView_t>().get(handle);
    if (!view)
        return;
    if (VulkanDevice *device = m_devices.get(view->deviceHandle)) {
        for (const Handle<Framebuffer_t> &framebuffer : device->framebuffers.evictUsing(handle))
            destroyFramebuffer(device->device, framebuffer);
        vkDestroyImageView(device->device, view->imageView, nullptr);
    }
    pool<TextureView_t>().remove(handle);
}

// ---- Samplers -------------------------------------------------------------------------------------------------

Handle<Sampler_t> VulkanResourceManager::createSampler(const Handle<Device_t> &deviceHandle,
                                                       const SamplerOptions &options)
{
    VulkanDevice *device = findDevice(deviceHandle);
    if (!device)
        return {};
    const VkSamplerCreateInfo createInfo = samplerCreateInfo(options);
    VkSampler sampler = VK_NULL_HANDLE;
    const VkResult result = vkCreateSampler(device->device, &createInfo, nullptr, &sampler);
    if (result != VK_SUCCESS) {
        TBGPU_LOG_ERROR("Error when creating sampler: {}", static_cast<int>(result));
        return {};
    }
    return pool<Sampler_t>().insert(VulkanSampler{ {}, sampler, deviceHandle });
}

void VulkanResourceManager::deleteSampler(const Handle<Sampler_t> &handle)
{
    VulkanSampler *sampler = pool<Sampler_t>().get(handle);
    if (!sampler)
        return;
    if (VulkanDevice *device = m_devices.get(sampler->deviceHandle))
        vkDestroySampler(device->device, sampler->sampler, nullptr);
    pool<Sampler_t>().remove(handle);
}

} // namespace TbGpu
