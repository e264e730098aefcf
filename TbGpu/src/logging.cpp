#include <TbGpu/utils/logging.h>

#include <spdlog/sinks/stdout_color_sinks.h>

#include <mutex>
#include <string>

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

std::string qualifiedFunctionName(const char *prettyFunction)
{
    const std::string signature(prettyFunction);
    // The parameter list opens at the first '(' outside template brackets, skipping the one of "operator()".
    int depth = 0;
    size_t open = std::string::npos;
    for (size_t i = 0; i < signature.size(); ++i) {
        const char c = signature[i];
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (c == '(' && depth == 0) {
            if (i >= 8 && signature.compare(i - 8, 8, "operator") == 0 && i + 1 < signature.size() &&
                signature[i + 1] == ')')
                continue;
            open = i;
            break;
        }
    }
    if (open == std::string::npos)
        return signature;
    // The name starts after the last space outside template brackets before it (the return type ends there).
    depth = 0;
    size_t start = 0;
    for (size_t i = open; i-- > 0;) {
        const char c = signature[i];
        if (c == '>')
            ++depth;
        else if (c == '<' && depth > 0)
            --depth;
        else if (c == ' ' && depth == 0) {
            start = i + 1;
            break;
        }
    }
    return signature.substr(start, open - start);
}

void logAt(const std::source_location &where, spdlog::level::level_enum level, std::string_view message)
{
    const std::string function = qualifiedFunctionName(where.function_name());
    Logger::logger()->log(spdlog::source_loc{ where.file_name(), static_cast<int>(where.line()), function.c_str() },
                          level, message);
}

} // namespace TbGpu
