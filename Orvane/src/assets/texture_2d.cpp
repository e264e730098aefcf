#include <Orvane/assets/texture.h>

#include <Orvane/assets/dds_image.h>

#include <spdlog/spdlog.h>

#include <stb_image.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <optional>

namespace Orvane {

namespace {

std::optional<std::vector<uint8_t>> readWholeFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> bytes{ std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
    if (file.bad())
        return std::nullopt;
    return bytes;
}

// stb_image's reason for the last failure, or ours where it gives none: it leaves the reason empty for
// some files cut short, such as a PNG that ends right after its header.
const char *decodingFailureReason(const uint8_t *bytes, int size)
{
    const char *reason = stbi_failure_reason();
    if (reason && *reason)
        return reason;
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_memory(bytes, size, &width, &height, &channels))
        return "the header is readable but the image data is cut short or corrupt";
    return "unknown image decoding failure";
}

bool endsWithDds(const std::string &path)
{
    static const std::string extension = ".dds";
    return path.size() >= extension.size() &&
            path.compare(path.size() - extension.size(), extension.size(), extension) == 0;
}

} // namespace

Texture2D::Texture2D()
    : Texture(TextureType::TwoDimensional)
{
}

bool Texture2D::loadFromMemory(const std::vector<uint8_t> &encoded)
{
    releaseOwnedData();
    status = Status::Loading;
    if (const char *reason = decode(encoded.data(), encoded.size())) {
        SPDLOG_LOGGER_WARN(&logger(), "Failed to load texture from memory {}", reason);
        return false;
    }
    return true;
}

bool Texture2D::loadTexture(const std::string &filePath)
{
    releaseOwnedData();
    status = Status::Loading;
    return endsWithDds(filePath) ? loadDds(filePath) : loadImage(filePath);
}

bool Texture2D::loadDds(const std::string &filePath)
{
    const auto bytes = readWholeFile(filePath);
    if (!bytes) {
        SPDLOG_LOGGER_WARN(&logger(), "Failed to open texture file {}", filePath);
        return false;
    }
    DdsReadResult result = readDdsImage(*bytes);
    if (!result || !result.image->isPlain2D()) {
        SPDLOG_LOGGER_WARN(&logger(), "Failed to load dds texture {}", filePath);
        // The reason, for whoever debugs the file (the debug macro is compiled out in release builds).
        logger().log(spdlog::source_loc{ __FILE__, __LINE__, SPDLOG_FUNCTION }, spdlog::level::debug, "{}: {}",
                     filePath,
                     result ? std::string("not a two-dimensional texture (array, cube map or volume)") : result.error);
        return false;
    }
    adoptDdsImage(std::make_unique<DdsImage>(std::move(*result.image)));
    return data.get() != nullptr;
}

bool Texture2D::loadImage(const std::string &filePath)
{
    const auto bytes = readWholeFile(filePath);
    if (!bytes) {
        SPDLOG_LOGGER_WARN(&logger(), "Failed to open texture file {}", filePath);
        return false;
    }
    if (const char *reason = decode(bytes->data(), bytes->size()))
        SPDLOG_LOGGER_WARN(&logger(), "Failed to load texture {} {}", filePath, reason);
    return data.get() != nullptr;
}

const char *Texture2D::decode(const uint8_t *bytes, std::size_t size)
{
    int w = 0;
    int h = 0;
    int channels = 0;
    uint8_t *pixels = nullptr;
    const char *reason = nullptr;
    if (size > std::size_t(INT_MAX)) {
        reason = "file too large";
    } else {
        pixels = stbi_load_from_memory(bytes, int(size), &w, &h, &channels, STBI_rgb_alpha);
        if (!pixels) {
            reason = decodingFailureReason(bytes, int(size));
            w = 0;
            h = 0;
        }
    }
    adoptDecodedPixels(pixels, std::size_t(w) * std::size_t(h) * 4);
    width = uint32_t(w);
    height = uint32_t(h);
    useDecodedFormatUnlessChosen();
    return reason;
}

} // namespace Orvane
