#include <TbGpu/texture_view.h>

#include <TbGpu/graphics_api.h>
#include <TbGpu/resource_manager.h>

#include <utility>

namespace TbGpu {

TextureView::TextureView(GraphicsApi *api, const Handle<Device_t> &device, const Handle<TextureView_t> &handle)
    : m_api(api)
    , m_device(device)
    , m_view(handle)
{
}

TextureView::~TextureView()
{
    release();
}

TextureView::TextureView(TextureView &&other) noexcept
    : m_api(std::exchange(other.m_api, nullptr))
    , m_device(std::exchange(other.m_device, {}))
    , m_view(std::exchange(other.m_view, {}))
{
}

TextureView &TextureView::operator=(TextureView &&other) noexcept
{
    if (this != &other) {
        release();
        m_api = std::exchange(other.m_api, nullptr);
        m_device = std::exchange(other.m_device, {});
        m_view = std::exchange(other.m_view, {});
    }
    return *this;
}

void TextureView::release()
{
    if (m_view.isValid() && m_api)
        m_api->resourceManager()->deleteTextureView(m_view);
    m_view = {};
}

} // namespace TbGpu
