#include <Orvane/assets/shader_program.h>

#include <spdlog/spdlog.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace Orvane {

namespace {

constexpr uint32_t SpirVMagicNumber = 0x07230203;

// Reads a SPIR-V binary into whole words. Anything that is not a non-empty sequence of whole words starting
// with the magic number is refused (logged, nothing returned): reflection and module creation read whole
// words and would otherwise run past the data or misread it.
bool readSpirVFile(const std::string &path, spdlog::logger &logger, std::vector<uint32_t> &words)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        SPDLOG_LOGGER_WARN(&logger, "Failed to open shader file {}", path);
        return false;
    }
    const std::vector<char> bytes{ std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
    if (file.bad()) {
        SPDLOG_LOGGER_WARN(&logger, "Failed to read shader file {}", path);
        return false;
    }
    if (bytes.empty()) {
        SPDLOG_LOGGER_WARN(&logger, "Shader file {} is not SPIR-V: it is empty", path);
        return false;
    }
    if (bytes.size() % sizeof(uint32_t) != 0) {
        SPDLOG_LOGGER_WARN(&logger, "Shader file {} is not SPIR-V: its size of {} bytes is not a multiple of 4", path,
                           bytes.size());
        return false;
    }
    uint32_t magic = 0;
    std::memcpy(&magic, bytes.data(), sizeof(magic));
    if (magic != SpirVMagicNumber) {
        SPDLOG_LOGGER_WARN(&logger, "Shader file {} is not SPIR-V: wrong magic number 0x{:08x}", path, magic);
        return false;
    }
    words.resize(bytes.size() / sizeof(uint32_t));
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return true;
}

} // namespace

bool SpirVShaderProgram::loadShader()
{
    for (Stage stage : { Stage::Vertex, Stage::Fragment, Stage::TessellationControl, Stage::TessellationEvaluation,
                         Stage::Geometry, Stage::Compute }) {
        const std::string &path = shaderPath(stage).get();
        if (path.empty())
            continue;
        std::vector<uint32_t> &words = mutableCode(stage);
        if (!readSpirVFile(path, logger(), words))
            words.clear();
    }
    return true;
}

} // namespace Orvane
