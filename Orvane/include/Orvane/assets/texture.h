#pragma once

#include <TbBindings/property.h>
#include <TbBindings/signal.h>
#include <TbFoundation/object.h>
#include <TbGpu/enums.h>
#include <TbGpu/gpu_core.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace spdlog {
class logger;
}

namespace Orvane {

struct DdsImage;

// The CPU-side description of an image: its kind, source, decoded pixels, dimensions, format and sampling
// options. The render aspect uploads it again whenever `changed` fires.
class Texture : public TbFoundation::Object
{
public:
    enum class TextureType : uint32_t {
        TwoDimensional = 1,
        ThreeDimensional = 2,
        CubeMap = 3,
    };

    // Vulkan's sampler address modes.
    enum class AddressMode : uint32_t {
        Repeat = 0,
        MirroredRepeat = 1,
        ClampToEdge = 2,
        ClampToBorder = 3,
        MirrorClampToEdge = 4,
    };

    enum class Status : uint32_t {
        Idle = 0,
        Loading = 1,
        Loaded = 2,
        Failed = 3,
    };

    // Sampling filters. For minification and magnification Nearest and NearestMipmap both sample the
    // nearest texel; for the mipmap filter only Nearest picks the nearest level. Anything else is linear.
    enum class Filter : uint32_t {
        Default = 0,
        Nearest = 1,
        NearestMipmap = 2,
        Linear = 3,
        LinearMipmap = 4,
    };
    static bool samplesNearest(Filter minOrMagFilter) noexcept
    {
        return minOrMagFilter == Filter::Nearest || minOrMagFilter == Filter::NearestMipmap;
    }
    static bool mipmapsNearest(Filter mipmapFilter) noexcept { return mipmapFilter == Filter::Nearest; }

    ~Texture() override;

    Texture(const Texture &) = delete;
    Texture &operator=(const Texture &) = delete;

    TbBindings::Property<TextureType> type;
    TbBindings::Property<std::string> path;
    TbBindings::Property<Status> status{ Status::Idle };
    // The pixels of the base level; for DDS files all levels, level after level.
    TbBindings::Property<uint8_t *> data{ nullptr };
    TbBindings::Property<uint32_t> width{ 0u };
    TbBindings::Property<uint32_t> height{ 0u };
    TbBindings::Property<uint32_t> depth{ 0u };
    TbBindings::Property<uint32_t> mipLevels{ 0u };
    TbBindings::Property<uint32_t> arrayLayers{ 0u };
    // A Vulkan format number; undefined (0) until a load or the user sets one.
    TbBindings::Property<TbGpu::Format> format{ TbGpu::Format::UNDEFINED };
    TbBindings::Property<AddressMode> addressModeU{ AddressMode::Repeat };
    TbBindings::Property<AddressMode> addressModeV{ AddressMode::Repeat };
    TbBindings::Property<AddressMode> addressModeW{ AddressMode::Repeat };
    // Read when the GPU sampler is made; changing them does not emit `changed`.
    TbBindings::Property<Filter> mipmapFilter{ Filter::Default };
    TbBindings::Property<Filter> minificationFilter{ Filter::Default };
    TbBindings::Property<Filter> magnificationFilter{ Filter::Default };
    // When true the GPU image is allocated as exportable memory.
    TbBindings::Property<bool> exportMemory{ false };
    // Written by the GPU storage.
    TbBindings::Property<TbGpu::MemoryHandle> externalMemoryHandle;

    // Emitted after a new path, data, width, height, depth, mipLevels, arrayLayers, format, address mode
    // or exportMemory.
    TbBindings::Signal<Texture *> changed;
    // Emitted at the very start of destruction.
    TbBindings::Signal<Texture *> destroyed;

    // When true the texture frees `data` before every new load and on destruction.
    bool ownsData = true;

    // Decodes an encoded image (PNG, JPEG, ...) held in memory. Does not set the final status.
    virtual bool loadFromMemory(const std::vector<uint8_t> &encoded) = 0;
    virtual bool loadTexture(const std::string &path) = 0;

    // Loads the file at `path` unless it is the current path: status goes Idle, then Loading, then Loaded
    // or Failed. Setting the `path` property directly loads nothing.
    void setPath(const std::string &newPath);

    // The number of bytes `data` points to when it came from a load of this texture, 0 otherwise.
    std::size_t dataSize() const noexcept { return m_dataSize; }
    // The parsed DDS file behind `data`, when the last load read one (every face, layer and level with its
    // offset and size); null otherwise.
    const DdsImage *ddsImage() const noexcept { return m_ddsImage.get(); }

protected:
    explicit Texture(TextureType textureType);

    // Frees the pixels this texture owns (the DDS image or the decoder's allocation) and sets `data` to
    // null, so that `data` never refers to freed memory.
    void releaseOwnedData();
    void adoptDecodedPixels(uint8_t *pixels, std::size_t byteCount);
    void adoptDdsImage(std::unique_ptr<DdsImage> image);

    spdlog::logger &logger() const noexcept { return *m_logger; }
    // Sets the format of decoded images (8-bit RGBA) unless the user chose one: a format that is undefined,
    // or the one an earlier DDS load put there, was not chosen.
    void useDecodedFormatUnlessChosen();

private:
    std::shared_ptr<spdlog::logger> m_logger;
    std::unique_ptr<DdsImage> m_ddsImage;
    // Pixels from the image decoder that this texture still owns (freed with the decoder's free()).
    uint8_t *m_decodedPixels = nullptr;
    // The format the last DDS load set, until the next load: a later image load treats it as not chosen.
    TbGpu::Format m_formatFromDds = TbGpu::Format::UNDEFINED;
    std::size_t m_dataSize = 0;
};

// A two-dimensional texture loaded from a file: DDS files (by the ".dds" ending, case-sensitive) through
// the engine's DDS reader, every other file through the image decoder as 8-bit RGBA.
class Texture2D : public Texture
{
public:
    Texture2D();

    bool loadFromMemory(const std::vector<uint8_t> &encoded) override;
    bool loadTexture(const std::string &path) override;

private:
    bool loadDds(const std::string &path);
    bool loadImage(const std::string &path);
    // Decodes into 8-bit RGBA, sets data, width, height and, when still undefined, the format. Returns the
    // decoder's failure reason, or null on success.
    const char *decode(const uint8_t *bytes, std::size_t size);
};

} // namespace Orvane
