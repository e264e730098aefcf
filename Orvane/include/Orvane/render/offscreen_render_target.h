#pragma once

#include <Orvane/render/render_target.h>

#include <TbGpu/texture.h>
#include <TbGpu/texture_view.h>

namespace Orvane {

namespace Render {
class ResourceDeleter;
}

// One RGBA texture to render into (and to sample or copy from afterwards). Its old texture is retired through
// the deleter when it is made again, since a frame in flight may still use it.
class OffscreenRenderTarget : public RenderTarget
{
public:
    OffscreenRenderTarget(TbGpu::Device *device, Render::ResourceDeleter *deleter, uint32_t index);
    ~OffscreenRenderTarget() override;

    void release() override;
    void create(uint32_t width, uint32_t height, float scaleFactor, uint32_t layers) override;
    TbGpu::Format colorFormat() const override { return TbGpu::Format::R8G8B8A8_UNORM; }
    TbGpu::Format depthFormat() const override { return TbGpu::Format::D24_UNORM_S8_UINT; }
    uint32_t imageCount() const override { return 1; }
    TbGpu::Handle<TbGpu::TextureView_t> imageView(uint32_t) const override { return view.handle(); }
    TbGpu::Handle<TbGpu::Texture_t> texture(uint32_t) const override { return colorTexture.handle(); }

    Render::ResourceDeleter *deleter{ nullptr };
    TbGpu::Texture colorTexture;
    TbGpu::TextureView view;
};

} // namespace Orvane
