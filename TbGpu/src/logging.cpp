#include <TbGpu/utils/logging.h>

#include <spdlog/sinks/stdout_color_sinks.h>

#include <mutex>

namespace TbGpu {

std::shared_ptr<spdlog::logger> Logger::logger()
{
    static std::shared_ptr<spdlog::logger> s_logger;
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        s_logger = spdlog::get("TbGpu");
        if (!s_logger) {
            s_logger = spdlog::stdout_color_mt("TbGpu", spdlog::color_mode::automatic);
            s_logger->info("Hello from the TbGpu Logger");
        }
    });
    return s_logger;
}

} // namespace TbGpu
