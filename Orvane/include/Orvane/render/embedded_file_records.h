#pragma once

#include <cstddef>

namespace Orvane::Render::Private {

// One file compiled into the executable: its path in the embedded tree and its bytes.
struct EmbeddedFileRecord {
    const char *path;
    const unsigned char *begin;
    const unsigned char *end;
};

// Generated at build time (the engine's own shaders).
extern const EmbeddedFileRecord embeddedFileRecords[];
extern const std::size_t embeddedFileRecordCount;

} // namespace Orvane::Render::Private
