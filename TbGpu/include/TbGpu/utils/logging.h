#pragma once

#include <spdlog/spdlog.h>

#include <memory>
#include <source_location>
#include <string>
#include <string_view>

namespace TbGpu {

// The library's one logger, "TbGpu". Fetched from spdlog's registry on first use; when nobody registered it, a
// coloured console logger on standard output is made, registered and announces itself.
class Logger
{
public:
    static std::shared_ptr<spdlog::logger> logger();
};

// The qualified name of a function ("TbGpu::Instance::createDefaultDevice") cut out of the compiler's full
// signature (return type, name, parameters, qualifiers).
std::string qualifiedFunctionName(const char *prettyFunction);

// Logs a message with the source location of a caller further up: for helpers that report on their caller's behalf.
void logAt(const std::source_location &where, spdlog::level::level_enum level, std::string_view message);

} // namespace TbGpu

#if defined(__GNUC__) || defined(__clang__)
#define TBGPU_PRETTY_FUNCTION __PRETTY_FUNCTION__
#else
#define TBGPU_PRETTY_FUNCTION __FUNCSIG__
#endif

// Log through the library's logger with the source location of the call: file, line and qualified function.
#define TBGPU_LOG(level, ...)                                                                                          \
    do {                                                                                                               \
        static const std::string tbgpuFunctionName_ = ::TbGpu::qualifiedFunctionName(TBGPU_PRETTY_FUNCTION);           \
        ::TbGpu::Logger::logger()->log(::spdlog::source_loc{ __FILE__, __LINE__, tbgpuFunctionName_.c_str() }, level,  \
                                       __VA_ARGS__);                                                                   \
    } while (false)
#define TBGPU_LOG_INFO(...) TBGPU_LOG(::spdlog::level::info, __VA_ARGS__)
#define TBGPU_LOG_WARN(...) TBGPU_LOG(::spdlog::level::warn, __VA_ARGS__)
#define TBGPU_LOG_ERROR(...) TBGPU_LOG(::spdlog::level::err, __VA_ARGS__)
#define TBGPU_LOG_CRITICAL(...) TBGPU_LOG(::spdlog::level::critical, __VA_ARGS__)
