#include <TbGpu/vulkan/vulkan_graphics_api.h>

#include "vulkan/vulkan_resource_manager.h"

namespace TbGpu {

VulkanGraphicsApi::VulkanGraphicsApi()
    : m_vulkanResourceManager(std::make_unique<VulkanResourceManager>())
{
    m_resourceManager = m_vulkanResourceManager.get();
}

VulkanGraphicsApi::~VulkanGraphicsApi()
{
    m_resourceManager = nullptr;
}

Instance VulkanGraphicsApi::adoptVkInstance(VkInstance instance)
{
    return Instance(this, m_vulkanResourceManager->createInstanceFromExistingVkInstance(instance));
}

Surface VulkanGraphicsApi::adoptVkSurface(const Handle<Instance_t> &instanceHandle, VkSurfaceKHR surface)
{
    VulkanInstance *instance = m_vulkanResourceManager->getInstance(instanceHandle);
    if (!instance)
        return {};
    return Surface(this,
                   m_vulkanResourceManager->insertSurface(VulkanSurface{ {}, surface, instance->instance, false }));
}

} // namespace TbGpu
