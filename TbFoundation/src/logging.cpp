#include <TbFoundation/logging.h>

#include <spdlog/sinks/stdout_color_sinks.h>

#include <mutex>

namespace TbFoundation {

std::shared_ptr<spdlog::logger> getOrCreateLogger(const std::string &name,
                                                  std::optional<spdlog::level::level_enum> levelWhenCreated)
{
    // Serialises look-up and creation so that two threads asking for the same new logger get one logger.
    static std::mutex creationLock;
    const std::lock_guard lock(creationLock);

    if (std::shared_ptr<spdlog::logger> existing = spdlog::get(name))
        return existing;
    std::shared_ptr<spdlog::logger> logger = spdlog::stdout_color_mt(name);
    if (levelWhenCreated)
        logger->set_level(*levelWhenCreated);
    return logger;
}

} // namespace TbFoundation
