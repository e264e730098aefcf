#pragma once

#include <TbGpu/handle.h>

namespace TbGpu {

class GraphicsApi;

class TextureView
{
public:
    TextureView() = default;
    TextureView(GraphicsApi *api, const Handle<Device_t> &device, const Handle<TextureView_t> &view);
    ~TextureView();

    TextureView(TextureView &&other) noexcept;
    TextureView &operator=(TextureView &&other) noexcept;
    TextureView(const TextureView &) = delete;
    TextureView &operator=(const TextureView &) = delete;

    const Handle<TextureView_t> &handle() const noexcept { return m_view; }
    bool isValid() const noexcept { return m_view.isValid(); }

private:
    void release();

    GraphicsApi *m_api{ nullptr };
    Handle<Device_t> m_device;
    Handle<TextureView_t> m_view;
};

} // namespace TbGpu
