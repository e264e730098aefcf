#include <TbGpu/surface.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Surface::Surface(GraphicsApi *api, const Handle<Surface_t> &surface)
    : m_api(api)
    , m_surface(surface)
{
}

Surface::~Surface()
{
    release();
}

Surface::Surface(Surface &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_surface(std::exchange(other.m_surface, {}))
{
}

Surface &Surface::operator=(Surface &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_surface = std::exchange(other.m_surface, {});
    }
    return *this;
}

void Surface::release()
{
    if (m_surface.isValid() && m_api)
        m_api->resourceManager()->deleteSurface(m_surface);
    m_surface = {};
}

} // namespace TbGpu
