#pragma once

#include <spdlog/spdlog.h>

#include <memory>
#include <optional>
#include <string>

namespace TbFoundation {

// Returns the spdlog logger registered under `name`. When there is none, creates it as a coloured console
// logger on standard output, registers it and, if `levelWhenCreated` is given, sets that level; an
// existing logger keeps its level. Safe to call from several threads at once.
std::shared_ptr<spdlog::logger>
getOrCreateLogger(const std::string &name, std::optional<spdlog::level::level_enum> levelWhenCreated = std::nullopt);

} // namespace TbFoundation
