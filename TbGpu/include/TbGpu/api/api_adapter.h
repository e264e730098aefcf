#pragma once

#include <TbGpu/adapter_properties.h>
#include <TbGpu/handle.h>
#include <TbGpu/instance_options.h>

#include <vector>

namespace TbGpu {

class ApiAdapter
{
public:
    virtual std::vector<Extension> extensions() const = 0;
    virtual AdapterProperties queryAdapterProperties() const = 0;
    virtual AdapterFeatures queryAdapterFeatures() = 0;
    virtual SwapchainProperties querySwapchainProperties(const Handle<Surface_t> &surface) const = 0;
    virtual std::vector<AdapterQueueType> queryQueueTypes() = 0;
    virtual bool supportsPresentation(const Handle<Surface_t> &surface, uint32_t queueTypeIndex) const = 0;
    virtual FormatProperties formatProperties(Format format) const = 0;
};

} // namespace TbGpu
