#include <Orvane/render/offscreen_render_target.h>

#include <Orvane/render/resource_deleter.h>

#include <TbFoundation/logging.h>
#include <TbGpu/device.h>

#include <algorithm>

namespace Orvane {

OffscreenRenderTarget::OffscreenRenderTarget(TbGpu::Device *targetDevice, Render::ResourceDeleter *targetDeleter,
                                             uint32_t targetIndex)
    : RenderTarget(1, TbFoundation::getOrCreateLogger("offscreen_render_target", spdlog::level::debug), targetDevice)
    , deleter(targetDeleter)
{
    index = targetIndex;
}

OffscreenRenderTarget::~OffscreenRenderTarget()
{
    release();
}

void OffscreenRenderTarget::create(uint32_t width, uint32_t height, float scale, uint32_t layerCount)
{
    extent = { width, height };
    surfaceExtent = extent;
    scaleFactor = scale;
    layers = layerCount;

    TbGpu::TextureOptions options;
    options.type = TbGpu::TextureType::TextureType2D;
    options.format = colorFormat();
    options.extent = { std::max(width, 1u), std::max(height, 1u), 1 };
    options.mipLevels = 1;
    options.arrayLayers = layerCount;
    options.usage = TbGpu::TextureUsageFlagBits::ColorAttachmentBit | TbGpu::TextureUsageFlagBits::SampledBit |
            TbGpu::TextureUsageFlagBits::TransferSrcBit;
    options.memoryUsage = TbGpu::MemoryUsage::GpuOnly;
    colorTexture = device->createTexture(options);

    TbGpu::TextureViewOptions viewOptions;
    viewOptions.viewType = layerCount == 1 ? TbGpu::ViewType::ViewType2D : TbGpu::ViewType::ViewType2DArray;
    viewOptions.range = { 0, 0, 1, 0, layerCount };
    view = colorTexture.createView(viewOptions);
}

void OffscreenRenderTarget::release()
{
    if (!view.isValid() && !colorTexture.isValid())
        return;
    Render::DeletionBatch &batch = deleter->currentBatch();
    if (view.isValid())
        batch.textureViews.push_back(std::move(view));
    if (colorTexture.isValid())
        batch.textures.push_back(std::move(colorTexture));
    view = {};
    colorTexture = {};
}

} // namespace Orvane
