#pragma once

#include <TbGpu/handle.h>

namespace TbGpu {

class GraphicsApi;

class Sampler
{
public:
    Sampler() = default;
    Sampler(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Sampler_t> &sampler);
    ~Sampler();

    Sampler(Sampler &&other) noexcept;
    Sampler &operator=(Sampler &&other) noexcept;
    Sampler(const Sampler &) = delete;
    Sampler &operator=(const Sampler &) = delete;

    const Handle<Sampler_t> &handle() const noexcept { return m_sampler; }
    bool isValid() const noexcept { return m_sampler.isValid(); }

private:
    void release();

    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<Sampler_t> m_sampler;
};

} // namespace TbGpu
