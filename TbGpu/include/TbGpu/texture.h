#pragma once

#include <TbGpu/gpu_core.h>
#include <TbGpu/handle.h>
#include <TbGpu/texture_options.h>
#include <TbGpu/texture_view.h>

namespace TbGpu {

class GraphicsApi;

// A texture (image). Textures of swapchain images are wrapped the same way; deleting those leaves them alone.
class Texture
{
public:
    Texture() = default;
    Texture(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Texture_t> &texture);
    ~Texture();

    Texture(Texture &&other) noexcept;
    Texture &operator=(Texture &&other) noexcept;
    Texture(const Texture &) = delete;
    Texture &operator=(const Texture &) = delete;

    const Handle<Texture_t> &handle() const noexcept { return m_texture; }
    bool isValid() const noexcept { return m_texture.isValid(); }

    void *map(); // linear, host-visible textures only; null otherwise
    void unmap();
    SubresourceLayout getSubresourceLayout(const TextureSubresource &subresource = {}) const;
    MemoryHandle externalMemoryHandle() const;
    TextureView createView(const TextureViewOptions &options = {}) const;

private:
    void release();

    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<Texture_t> m_texture;
    void *m_mapped{ nullptr };
};

} // namespace TbGpu
