#include <TbGpu/texture.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

Texture::Texture(GraphicsApi *api, const Handle<Device_t> &device, const Handle<Texture_t> &texture)
    : m_api(api)
    , m_device(device)
    , m_texture(texture)
{
}

Texture::~Texture()
{
    release();
}

Texture::Texture(Texture &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_device(std::exchange(other.m_device, {}))
    , m_texture(std::exchange(other.m_texture, {}))
    , m_mapped(std::exchange(other.m_mapped, nullptr))
{
}

Texture &Texture::operator=(Texture &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_device = std::exchange(other.m_device, {});
        m_texture = std::exchange(other.m_texture, {});
        m_mapped = std::exchange(other.m_mapped, nullptr);
    }
    return *this;
}

void Texture::release()
{
    if (m_texture.isValid() && m_api)
        m_api->resourceManager()->deleteTexture(m_texture);
    m_texture = {};
    m_mapped = nullptr;
}

void *Texture::map()
{
    if (m_mapped)
        return m_mapped;
    if (!m_api)
        return nullptr;
    if (ApiTexture *texture = m_api->resourceManager()->getTexture(m_texture))
        m_mapped = texture->map();
    return m_mapped;
}

void Texture::unmap()
{
    if (!m_mapped)
        return;
    if (ApiTexture *texture = m_api->resourceManager()->getTexture(m_texture))
        texture->unmap();
    m_mapped = nullptr;
}

SubresourceLayout Texture::getSubresourceLayout(const TextureSubresource &subresource) const
{
    if (!m_api)
        return {};
    ApiTexture *texture = m_api->resourceManager()->getTexture(m_texture);
    return texture ? texture->getSubresourceLayout(subresource) : SubresourceLayout{};
}

MemoryHandle Texture::externalMemoryHandle() const
{
    if (!m_api)
        return {};
    ApiTexture *texture = m_api->resourceManager()->getTexture(m_texture);
    return texture ? texture->externalMemoryHandle() : MemoryHandle{};
}

TextureView Texture::createView(const TextureViewOptions &options) const
{
    if (!m_api || !m_texture.isValid())
        return {};
    return TextureView(m_api, m_device, m_api->resourceManager()->createTextureView(m_device, m_texture, options));
}

} // namespace TbGpu
