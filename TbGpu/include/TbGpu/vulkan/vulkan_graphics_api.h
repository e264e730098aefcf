#pragma once

#include <TbGpu/graphics_api.h>
#include <TbGpu/instance.h>
#include <TbGpu/surface.h>

#include <vulkan/vulkan.h>

#include <memory>

namespace TbGpu {

class VulkanResourceManager; // the library's own: its records are not part of the public interface

// The Vulkan graphics API: owns the Vulkan resource manager. Objects made by a hosting toolkit (its instance and
// window surface) are adopted: the library uses them but never destroys them.
class VulkanGraphicsApi : public GraphicsApi
{
public:
    VulkanGraphicsApi();
    ~VulkanGraphicsApi() override;

    Instance adoptVkInstance(VkInstance instance);
    Surface adoptVkSurface(const Handle<Instance_t> &instance, VkSurfaceKHR surface);

    VulkanResourceManager *vulkanResourceManager() const noexcept { return m_vulkanResourceManager.get(); }

private:
    std::unique_ptr<VulkanResourceManager> m_vulkanResourceManager;
};

} // namespace TbGpu
