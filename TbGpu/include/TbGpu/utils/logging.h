#pragma once

#include <spdlog/spdlog.h>

#include <memory>

namespace TbGpu {

// The library's one logger, "TbGpu". Fetched from spdlog's registry on first use; when nobody registered it, a
// coloured console logger on standard output is made, registered and announces itself.
class Logger
{
public:
    static std::shared_ptr<spdlog::logger> logger();
};

} // namespace TbGpu

// Log through the library's logger with the source location of the call.
#define TBGPU_LOG_INFO(...) SPDLOG_LOGGER_INFO(::TbGpu::Logger::logger(), __VA_ARGS__)
#define TBGPU_LOG_WARN(...) SPDLOG_LOGGER_WARN(::TbGpu::Logger::logger(), __VA_ARGS__)
#define TBGPU_LOG_ERROR(...) SPDLOG_LOGGER_ERROR(::TbGpu::Logger::logger(), __VA_ARGS__)
#define TBGPU_LOG_CRITICAL(...) SPDLOG_LOGGER_CRITICAL(::TbGpu::Logger::logger(), __VA_ARGS__)
