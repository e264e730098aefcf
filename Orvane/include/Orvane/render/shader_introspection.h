#pragma once

#include <Orvane/render/resource_format.h>

#include <spdlog/logger.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace Orvane::Render {

// Reads one stage's SPIR-V and appends what it declares to `format`: its descriptor sets (a new set entry
// per set, even when another stage already declared that set number; mergeResourceFormat() joins them),
// its push constant ranges and, when `attributes` is given (the vertex stage), its input variables.
// Invalid SPIR-V is reported on `logger` and contributes nothing.
void introspectShaderModule(std::span<const uint32_t> code, ResourceFormat &format, spdlog::logger &logger,
                            std::vector<ShaderAttribute> *attributes);

struct MergeResult {
    bool ok = true;
    std::vector<std::string> errors;
};

// Joins set entries with the same set number (the stages of equal bindings are OR-ed, new bindings
// appended) and sorts sets and bindings by number. Two entries that declare one binding number with a
// different count or type cannot be joined: both stay and an error names the set.
MergeResult mergeResourceFormat(ResourceFormat &format);

} // namespace Orvane::Render
