#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Orvane::Render {

// A file of the embedded tree: a view of read-only data inside the executable; nothing is copied.
struct EmbeddedFile {
    const unsigned char *begin = nullptr;
    const unsigned char *end = nullptr;

    std::size_t size() const noexcept { return std::size_t(end - begin); }
    std::span<const unsigned char> bytes() const noexcept { return { begin, size() }; }
};

// The small read-only file tree of files compiled into the executable (the engine's own shaders).
// Built once on first use and never changed afterwards.
class EmbeddedFilesystem
{
public:
    struct Directory {
        std::map<std::string, Directory, std::less<>> directories;
        std::map<std::string, EmbeddedFile, std::less<>> files;
    };

    // The file at `path`, or nothing for a missing path or a directory. The path is normalised first:
    // leading and trailing slashes are dropped and runs of slashes become one.
    std::optional<EmbeddedFile> open(std::string_view path) const;

    bool isDirectory(std::string_view path) const;

    const Directory &root() const noexcept { return m_root; }

    static std::string normalisePath(std::string_view path);

private:
    friend const EmbeddedFilesystem &embeddedFilesystem();
    EmbeddedFilesystem();

    struct IndexEntry {
        const Directory *directory = nullptr;
        std::optional<EmbeddedFile> file;
    };

    Directory m_root;
    std::map<std::string, IndexEntry, std::less<>> m_index; // every full path, files and directories
};

// The process-wide embedded tree (created on the first call; thread-safe).
const EmbeddedFilesystem &embeddedFilesystem();

} // namespace Orvane::Render
