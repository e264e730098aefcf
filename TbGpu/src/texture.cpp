#include <TbGpu/texture.h>

namespace TbGpu {

SubresourceLayout Texture::getSubresourceLayout(const TextureSubresource &subresource) const
{
    const ApiTexture *texture = record();
    return texture ? texture->getSubresourceLayout(subresource) : SubresourceLayout{};
}

TextureView Texture::createView(const TextureViewOptions &options) const
{
    if (!manager() || !m_handle.isValid())
        return {};
    return TextureView(m_api, m_device, manager()->createTextureView(m_device, m_handle, options));
}

} // namespace TbGpu
