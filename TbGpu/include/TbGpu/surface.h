#pragma once

#include <TbGpu/handle.h>

namespace TbGpu {

class GraphicsApi;

// A window surface. Adopted surfaces are only released, never destroyed, when this object goes.
class Surface
{
public:
    Surface() = default;
    Surface(GraphicsApi *api, const Handle<Surface_t> &surface);
    ~Surface();

    Surface(Surface &&other) noexcept;
    Surface &operator=(Surface &&other) noexcept;
    Surface(const Surface &) = delete;
    Surface &operator=(const Surface &) = delete;

    const Handle<Surface_t> &handle() const noexcept { return m_surface; }
    bool isValid() const noexcept { return m_surface.isValid(); }

private:
    void release();

    GraphicsApi *m_api{ nullptr };
    Handle<Surface_t> m_surface;
};

} // namespace TbGpu
