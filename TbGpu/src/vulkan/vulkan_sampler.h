#pragma once

#include <TbGpu/api/api_plain_records.h>
#include <TbGpu/handle.h>

#include <vulkan/vulkan.h>

namespace TbGpu {

// The samplers-pool record.
struct VulkanSampler : public ApiSampler {
    VkSampler sampler{ VK_NULL_HANDLE };
    Handle<Device_t> deviceHandle;
};

} // namespace TbGpu
