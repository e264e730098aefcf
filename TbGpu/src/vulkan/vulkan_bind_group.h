#pragma once

#include <TbGpu/api/api_bind_group.h>
#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

class VulkanResourceManager;

// The bind-groups-pool record: a descriptor set and the pool it came from.
struct VulkanBindGroup : public ApiBindGroup {
    VulkanBindGroup() = default;
    VulkanBindGroup(VkDescriptorSet set, VkDescriptorPool pool, VulkanResourceManager *manager,
                    const Handle<Device_t> &device)
        : descriptorSet(set)
        , descriptorPool(pool)
        , vulkanResourceManager(manager)
        , deviceHandle(device)
    {
    }

    // One descriptor write for the entry's binding; an entry whose resources do not resolve writes nothing.
    void update(const BindGroupEntry &entry) override;

    VkDescriptorSet descriptorSet{ VK_NULL_HANDLE };
    VkDescriptorPool descriptorPool{ VK_NULL_HANDLE };
    VulkanResourceManager *vulkanResourceManager{ nullptr };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
