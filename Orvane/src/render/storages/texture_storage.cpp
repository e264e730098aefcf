#include <Orvane/render/storages/texture_storage.h>

#include <Orvane/assets/dds_image.h>
#include <Orvane/assets/texture.h>
#include <Orvane/render/renderer.h>
#include <Orvane/render/resource_deleter.h>
#include <Orvane/render/staging_buffer_pool.h>
#include <Orvane/render/storages/gpu_transfers.h>
#include <Orvane/render/texel_blocks.h>

#include <TbFoundation/logging.h>
#include <TbGpu/adapter.h>
#include <TbGpu/command_recorder.h>
#include <TbGpu/device.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Orvane {

namespace {

uint64_t alignUp(uint64_t value, uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// One (layer, level) of an upload: where its bytes are in the texture's data and the copy that writes it.
struct Subresource {
    uint64_t sourceOffset{ 0 };
    uint64_t size{ 0 };
    TbGpu::BufferTextureCopyRegion region;
};

// The texture's shape as it is created and uploaded.
struct ImageLayout {
    TbGpu::Format format{ TbGpu::Format::UNDEFINED };
    TbGpu::Extent3D extent;
    uint32_t levels{ 1 };
    uint32_t layers{ 1 };
    std::vector<Subresource> subresources;
    uint64_t stagingSize{ 0 };
};

TbGpu::Extent3D levelExtent(const TbGpu::Extent3D &extent, uint32_t level)
{
    return { std::max(extent.width >> level, 1u), std::max(extent.height >> level, 1u),
             std::max(extent.depth >> level, 1u) };
}

// Lays the subresources out in the staging buffer, each at an offset a copy into `format` accepts. The source
// offset comes from `sourceOffsetOf` (the data's own layout).
template<typename SourceOffset>
void placeSubresources(ImageLayout &layout, SourceOffset sourceOffsetOf)
{
    const uint64_t alignment = StagingBufferPool::textureCopyAlignment(layout.format);
    uint64_t stagingOffset = 0;
    for (uint32_t layer = 0; layer < layout.layers; ++layer) {
        for (uint32_t level = 0; level < layout.levels; ++level) {
            const TbGpu::Extent3D extent = levelExtent(layout.extent, level);
            Subresource sub;
            sub.size = Render::levelByteSize(layout.format, extent.width, extent.height, extent.depth);
            sub.sourceOffset = sourceOffsetOf(layer, level);
            stagingOffset = alignUp(stagingOffset, alignment);
            sub.region.bufferOffset = stagingOffset;
            sub.region.textureSubResource = { TbGpu::TextureAspectFlagBits::ColorBit, level, layer, 1 };
            sub.region.textureExtent = extent;
            stagingOffset += sub.size;
            layout.subresources.push_back(sub);
        }
    }
    layout.stagingSize = stagingOffset;
}

// The bytes the texture's data must hold for the layout.
uint64_t sourceSize(const ImageLayout &layout)
{
    uint64_t end = 0;
    for (const Subresource &sub : layout.subresources)
        end = std::max(end, sub.sourceOffset + sub.size);
    return end;
}

} // namespace

TextureStorage::TextureStorage(Renderer *renderer)
    : ResourceStorage(renderer)
    , m_logger(TbFoundation::getOrCreateLogger("texture", spdlog::level::debug))
{
}

TextureStorage::~TextureStorage() = default;

void TextureStorage::add(Texture *texture)
{
    upload(texture, findOrCreate(texture));
}

void TextureStorage::update(Texture *texture)
{
    TextureRecord *record = find(texture);
    if (!record) {
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Texture {}", texture->objectName());
        return;
    }
    retire(*record);
    upload(texture, *record);
}

void TextureStorage::remove(Texture *texture)
{
    std::unique_ptr<TextureRecord> record = take(texture);
    if (!record) {
        // A removed texture may already be destroyed: it is named by its address only.
        SPDLOG_LOGGER_WARN(m_logger, "Unable to find renderer resource for Texture {}", fmt::ptr(texture));
        return;
    }
    retire(*record);
}

void TextureStorage::clear()
{
    for (auto &[texture, record] : m_records)
        retire(*record);
    m_records.clear();
}

void TextureStorage::retire(TextureRecord &record)
{
    Render::DeletionBatch &batch = m_renderer->resourceDeleter()->currentBatch();
    if (record.sampler.isValid())
        batch.samplers.push_back(std::move(record.sampler));
    if (record.view.isValid())
        batch.textureViews.push_back(std::move(record.view));
    if (record.texture.isValid())
        batch.textures.push_back(std::move(record.texture));
    record = {};
}

void TextureStorage::upload(Texture *texture, TextureRecord &record)
{
    switch (texture->type.get()) {
    case Texture::TextureType::TwoDimensional:
    case Texture::TextureType::ThreeDimensional:
        uploadImage(texture, record);
        break;
    case Texture::TextureType::CubeMap:
        uploadCubeMap(texture, record);
        break;
    default:
        return;
    }
    if (record.texture.isValid())
        createSampler(texture, record);
}

namespace {

TbGpu::Texture createAndFill(Renderer &renderer, spdlog::logger &logger, Texture *texture, const ImageLayout &layout,
                             const uint8_t *data, TbGpu::TextureType type)
{
    TbGpu::TextureOptions options;
    options.type = type;
    options.format = layout.format;
    options.extent = layout.extent;
    options.mipLevels = layout.levels;
    options.arrayLayers = layout.layers;
    // Transfer source too, so that an uploaded texture can be read back (checks, captures).
    options.usage = TbGpu::TextureUsageFlagBits::TransferDstBit | TbGpu::TextureUsageFlagBits::SampledBit |
            TbGpu::TextureUsageFlagBits::TransferSrcBit;
    options.memoryUsage = TbGpu::MemoryUsage::GpuOnly;
    if (texture->exportMemory.get())
        options.externalMemoryHandleType = Render::ExportableMemoryHandleType;
    TbGpu::Texture image = renderer.device().createTexture(options);
    if (!image.isValid()) {
        SPDLOG_LOGGER_WARN(&logger, "Failed to create the GPU texture for Texture {}", texture->objectName());
        return image;
    }
    if (texture->exportMemory.get())
        texture->externalMemoryHandle = image.externalMemoryHandle();

    TbGpu::Buffer staging;
    std::vector<TbGpu::BufferTextureCopyRegion> regions;
    if (data && layout.stagingSize > 0) {
        staging = renderer.device().createBuffer(
                { layout.stagingSize, TbGpu::BufferUsageFlagBits::TransferSrcBit, TbGpu::MemoryUsage::CpuOnly });
        auto *mapped = static_cast<uint8_t *>(staging.map());
        for (const Subresource &sub : layout.subresources) {
            std::memcpy(mapped + sub.region.bufferOffset, data + sub.sourceOffset, sub.size);
            regions.push_back(sub.region);
        }
        staging.flush();
        staging.unmap();
    }
    Render::submitAndWaitIdle(renderer.device(), *renderer.graphicsQueue(), [&](TbGpu::CommandRecorder &recorder) {
        if (regions.empty()) {
            Render::transitionLayout(recorder, image.handle(), layout.format, TbGpu::TextureLayout::Undefined,
                                     TbGpu::TextureLayout::ShaderReadOnlyOptimal);
            return;
        }
        Render::transitionLayout(recorder, image.handle(), layout.format, TbGpu::TextureLayout::Undefined,
                                 TbGpu::TextureLayout::TransferDstOptimal);
        recorder.copyBufferToTexture(
                { staging.handle(), image.handle(), TbGpu::TextureLayout::TransferDstOptimal, regions });
        Render::transitionLayout(recorder, image.handle(), layout.format, TbGpu::TextureLayout::TransferDstOptimal,
                                 TbGpu::TextureLayout::ShaderReadOnlyOptimal);
    });
    return image;
}

} // namespace

void TextureStorage::uploadImage(Texture *texture, TextureRecord &record)
{
    const bool volume = texture->type.get() == Texture::TextureType::ThreeDimensional;
    ImageLayout layout;
    layout.format = texture->format.get();
    layout.extent = { std::max(texture->width.get(), 1u), std::max(texture->height.get(), 1u),
                      std::max(texture->depth.get(), 1u) };
    layout.levels = std::max(texture->mipLevels.get(), 1u);
    layout.layers = volume ? 1u : std::max(texture->arrayLayers.get(), 1u);
    if (!volume)
        layout.extent.depth = 1;
    if (layout.format == TbGpu::Format::UNDEFINED) {
        SPDLOG_LOGGER_WARN(m_logger, "Texture {} has no format; nothing is uploaded", texture->objectName());
        return;
    }

    // The data holds the layers one after the other, each with its levels in order; a DDS image says exactly
    // where each of its subresources sits.
    const DdsImage *dds = texture->ddsImage();
    const bool useDdsLayout = dds && dds->data.data() == texture->data.get() && dds->faces == 1 &&
            dds->mipLevels >= layout.levels && dds->arrayLayers >= layout.layers;
    uint64_t layerSize = 0;
    for (uint32_t level = 0; level < layout.levels; ++level) {
        const TbGpu::Extent3D extent = levelExtent(layout.extent, level);
        layerSize += Render::levelByteSize(layout.format, extent.width, extent.height, extent.depth);
    }
    placeSubresources(layout, [&](uint32_t layer, uint32_t level) {
        if (useDdsLayout)
            return dds->subresource(layer, 0, level).offset;
        uint64_t offset = uint64_t(layer) * layerSize;
        for (uint32_t j = 0; j < level; ++j) {
            const TbGpu::Extent3D extent = levelExtent(layout.extent, j);
            offset += Render::levelByteSize(layout.format, extent.width, extent.height, extent.depth);
        }
        return offset;
    });

    const uint8_t *data = texture->data.get();
    if (data && texture->dataSize() != 0 && texture->dataSize() < sourceSize(layout)) {
        SPDLOG_LOGGER_WARN(m_logger, "Texture {} holds {} bytes where its levels and layers need {}; not uploaded",
                           texture->objectName(), texture->dataSize(), sourceSize(layout));
        return;
    }
    record.texture = createAndFill(*m_renderer, *m_logger, texture, layout, data,
                                   volume ? TbGpu::TextureType::TextureType3D : TbGpu::TextureType::TextureType2D);
    if (!record.texture.isValid())
        return;
    TbGpu::TextureViewOptions view;
    view.viewType = volume ? TbGpu::ViewType::ViewType3D
                           : (layout.layers > 1 ? TbGpu::ViewType::ViewType2DArray : TbGpu::ViewType::ViewType2D);
    view.format = layout.format;
    view.range = { uint32_t(TbGpu::TextureAspectFlagBits::ColorBit), 0, layout.levels, 0, layout.layers };
    record.view = record.texture.createView(view);
}

void TextureStorage::uploadCubeMap(Texture *texture, TextureRecord &record)
{
    const DdsImage *image = texture->ddsImage();
    if (!image || !image->isCubeMap() || image->data.empty())
        throw std::runtime_error("Failed to load cube map texture image!");
    ImageLayout layout;
    layout.format = TbGpu::Format(image->format);
    layout.extent = { std::max(image->width, 1u), std::max(image->height, 1u), 1 };
    layout.levels = std::max(image->mipLevels, 1u);
    layout.layers = 6; // the faces +X, -X, +Y, -Y, +Z, -Z of the first cube
    placeSubresources(layout,
                      [image](uint32_t face, uint32_t level) { return image->subresource(0, face, level).offset; });

    record.texture = createAndFill(*m_renderer, *m_logger, texture, layout, image->data.data(),
                                   TbGpu::TextureType::TextureTypeCube);
    if (!record.texture.isValid())
        return;
    TbGpu::TextureViewOptions view;
    view.viewType = TbGpu::ViewType::Cube;
    view.format = layout.format;
    view.range = { uint32_t(TbGpu::TextureAspectFlagBits::ColorBit), 0, layout.levels, 0, 6 };
    record.view = record.texture.createView(view);
}

void TextureStorage::createSampler(Texture *texture, TextureRecord &record)
{
    TbGpu::SamplerOptions options;
    options.magFilter = Texture::samplesNearest(texture->magnificationFilter.get()) ? TbGpu::FilterMode::Nearest
                                                                                    : TbGpu::FilterMode::Linear;
    options.minFilter = Texture::samplesNearest(texture->minificationFilter.get()) ? TbGpu::FilterMode::Nearest
                                                                                   : TbGpu::FilterMode::Linear;
    options.mipmapFilter = Texture::mipmapsNearest(texture->mipmapFilter.get()) ? TbGpu::MipmapFilterMode::Nearest
                                                                                : TbGpu::MipmapFilterMode::Linear;
    options.u = TbGpu::AddressMode(texture->addressModeU.get());
    options.v = TbGpu::AddressMode(texture->addressModeV.get());
    options.w = TbGpu::AddressMode(texture->addressModeW.get());
    options.lodMinClamp = 0.0f;
    options.lodMaxClamp = TbGpu::LodClampNone;
    // Anisotropic filtering where the device has it (a device without the feature must not ask for it). Software
    // rasterisers offer it too, but a minified anisotropic lookup there costs so much that a frame of a textured
    // model takes seconds: they filter without it.
    const TbGpu::Adapter *adapter = m_renderer->device().adapter();
    options.anisotropyEnabled = adapter && adapter->features().samplerAnisotropy &&
            adapter->properties().deviceType != TbGpu::AdapterDeviceType::Cpu;
    options.maxAnisotropy =
            options.anisotropyEnabled ? std::min(16.0f, adapter->properties().limits.maxSamplerAnisotropy) : 1.0f;
    options.compareEnabled = false;
    options.normalizedCoordinates = true;
    record.sampler = m_renderer->device().createSampler(options);
}

} // namespace Orvane
