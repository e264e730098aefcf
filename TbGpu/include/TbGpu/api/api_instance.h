#pragma once

#include <TbGpu/handle.h>
#include <TbGpu/instance_options.h>
#include <TbGpu/surface_options.h>

#include <vector>

namespace TbGpu {

// Backend interfaces have no virtual destructor: records are destroyed by the manager's delete operations.
class ApiInstance
{
public:
    virtual std::vector<Extension> extensions() const = 0;
    virtual std::vector<Handle<Adapter_t>> queryAdapters() = 0;
    virtual Handle<Surface_t> createSurface(const SurfaceOptions &options) = 0;
};

} // namespace TbGpu
