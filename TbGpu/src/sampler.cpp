#include <TbGpu/sampler.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Sampler::Sampler(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Sampler_t> &handle)
    : m_api(api)
    , m_device(device)
    , m_sampler(handle)
{
}

Sampler::~Sampler()
{
    release();
}

Sampler::Sampler(Sampler &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_device(std::exchange(other.m_device, {}))
    , m_sampler(std::exchange(other.m_sampler, {}))
{
}

Sampler &Sampler::operator=(Sampler &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_device = std::exchange(other.m_device, {});
        m_sampler = std::exchange(other.m_sampler, {});
    }
    return *this;
}

void Sampler::release()
{
    if (m_sampler.isValid() && m_api)
        m_api->resourceManager()->deleteSampler(m_sampler);
    m_sampler = {};
}

} // namespace TbGpu
