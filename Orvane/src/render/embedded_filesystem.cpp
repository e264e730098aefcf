#include <Orvane/render/embedded_file_records.h>
#include <Orvane/render/embedded_filesystem.h>

namespace Orvane::Render {

std::string EmbeddedFilesystem::normalisePath(std::string_view path)
{
    std::string normalised;
    normalised.reserve(path.size());
    for (char c : path) {
        if (c == '/' && (normalised.empty() || normalised.back() == '/'))
            continue;
        normalised.push_back(c);
    }
    if (!normalised.empty() && normalised.back() == '/')
        normalised.pop_back();
    return normalised;
}

EmbeddedFilesystem::EmbeddedFilesystem()
{
    for (std::size_t i = 0; i < Private::embeddedFileRecordCount; ++i) {
        const Private::EmbeddedFileRecord &record = Private::embeddedFileRecords[i];
        const std::string path = normalisePath(record.path);

        Directory *directory = &m_root;
        std::size_t start = 0;
        for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', start)) {
            directory = &directory->directories[path.substr(start, slash - start)];
            m_index[path.substr(0, slash)].directory = directory;
            start = slash + 1;
        }
        const EmbeddedFile file{ record.begin, record.end };
        directory->files[path.substr(start)] = file;
        m_index[path].file = file;
    }
}

std::optional<EmbeddedFile> EmbeddedFilesystem::open(std::string_view path) const
{
    const auto it = m_index.find(normalisePath(path));
    if (it == m_index.end())
        return std::nullopt;
    return it->second.file;
}

bool EmbeddedFilesystem::isDirectory(std::string_view path) const
{
    const auto it = m_index.find(normalisePath(path));
    return it != m_index.end() && it->second.directory != nullptr;
}

const EmbeddedFilesystem &embeddedFilesystem()
{
    static const EmbeddedFilesystem filesystem;
    return filesystem;
}

} // namespace Orvane::Render
