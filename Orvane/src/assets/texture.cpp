#include <Orvane/assets/texture.h>

#include <Orvane/assets/dds_image.h>

#include <TbFoundation/logging.h>

#include <stb_image.h>

#include <utility>

namespace Orvane {

namespace {

template<typename T>
void announceChanges(TbBindings::Property<T> &property, Texture *texture)
{
    property.valueChanged().connect([texture](const T &) { texture->changed.emit(texture); });
}

} // namespace

Texture::Texture(TextureType textureType)
    : type(textureType)
    , m_logger(TbFoundation::getOrCreateLogger("texture", spdlog::level::debug))
{
    announceChanges(path, this);
    announceChanges(data, this);
    announceChanges(width, this);
    announceChanges(height, this);
    announceChanges(depth, this);
    announceChanges(mipLevels, this);
    announceChanges(arrayLayers, this);
    announceChanges(format, this);
    announceChanges(addressModeU, this);
    announceChanges(addressModeV, this);
    announceChanges(addressModeW, this);
    announceChanges(exportMemory, this);
}

Texture::~Texture()
{
    destroyed.emit(this);
    if (ownsData)
        stbi_image_free(m_decodedPixels);
    // The DDS image goes with the texture in any case: nothing else can own it.
}

void Texture::setPath(const std::string &newPath)
{
    if (path.get() == newPath)
        return;
    path = newPath;
    status = Status::Idle;
    const bool loaded = loadTexture(newPath);
    status = loaded ? Status::Loaded : Status::Failed;
}

void Texture::releaseOwnedData()
{
    if (!ownsData) {
        // Whoever cleared ownsData has taken the decoder's pixels over.
        m_decodedPixels = nullptr;
        return;
    }
    // Only memory this texture allocated is freed; a pointer the user put into `data` is left alone.
    std::unique_ptr<DdsImage> image = std::move(m_ddsImage);
    uint8_t *pixels = std::exchange(m_decodedPixels, nullptr);
    const bool dataIsOurs = data.get() && (data.get() == pixels || (image && data.get() == image->data.data()));
    // Forget the pointer before the memory goes, so that nobody sees it dangling.
    if (dataIsOurs)
        data = nullptr;
    m_dataSize = 0;
    stbi_image_free(pixels);
}

void Texture::useDecodedFormatUnlessChosen()
{
    // A format left by an earlier DDS load describes that file's texels, not decoded 8-bit RGBA.
    const TbGpu::Format current = format.get();
    if (current == TbGpu::Format::UNDEFINED || current == m_formatFromDds)
        format = TbGpu::Format::R8G8B8A8_UNORM;
    m_formatFromDds = TbGpu::Format::UNDEFINED;
}

void Texture::adoptDecodedPixels(uint8_t *pixels, std::size_t byteCount)
{
    uint8_t *previous = std::exchange(m_decodedPixels, pixels);
    m_dataSize = pixels ? byteCount : 0;
    data = pixels;
    // `data` no longer points into a DDS image kept from before.
    m_ddsImage.reset();
    if (ownsData && previous != pixels)
        stbi_image_free(previous);
}

void Texture::adoptDdsImage(std::unique_ptr<DdsImage> image)
{
    // The previous image stays alive until `data` no longer points into it.
    std::unique_ptr<DdsImage> previous = std::move(m_ddsImage);
    m_ddsImage = std::move(image);
    m_dataSize = m_ddsImage->data.size();

    m_formatFromDds = m_ddsImage->format;
    format = m_formatFromDds;
    data = m_ddsImage->data.empty() ? nullptr : m_ddsImage->data.data();
    arrayLayers = m_ddsImage->data.empty() ? 0u : m_ddsImage->arrayLayers;
    mipLevels = m_ddsImage->data.empty() ? 0u : m_ddsImage->mipLevels;
    width = m_ddsImage->width;
    height = m_ddsImage->height;
    depth = 1u;
}

} // namespace Orvane
