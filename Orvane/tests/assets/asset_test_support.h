#pragma once

#include <TbFoundation/logging.h>

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace Orvane::Test {

// A fresh directory under the system's temporary directory, removed with everything in it at the end.
class TemporaryDirectory
{
public:
    TemporaryDirectory()
    {
        static std::atomic<int> counter{ 0 };
        m_path = std::filesystem::temp_directory_path() /
                ("orvane-assets-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TemporaryDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string file(const std::string &name) const { return (m_path / name).string(); }

    std::string write(const std::string &name, const std::string &text) const
    {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::string write(const std::string &name, const std::vector<uint8_t> &bytes) const
    {
        std::ofstream out(file(name), std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        return file(name);
    }

private:
    std::filesystem::path m_path;
};

// Collects what a logger writes while the capture lives: a named logger from the registry (created as
// the engine would create it if it does not exist yet), or the default logger when the name is empty.
class LogCapture
{
public:
    explicit LogCapture(const std::string &loggerName = {})
        : m_sink(std::make_shared<spdlog::sinks::ostream_sink_st>(m_text))
    {
        m_logger = loggerName.empty() ? spdlog::default_logger() : TbFoundation::getOrCreateLogger(loggerName);
        m_sink->set_pattern("%l %v");
        m_previousLevel = m_logger->level();
        m_logger->set_level(spdlog::level::trace);
        m_logger->sinks().push_back(m_sink);
    }
    ~LogCapture()
    {
        auto &sinks = m_logger->sinks();
        sinks.erase(std::remove(sinks.begin(), sinks.end(), m_sink), sinks.end());
        m_logger->set_level(m_previousLevel);
    }

    std::string text() const { return m_text.str(); }
    // The number of records holding `fragment`.
    int count(const std::string &fragment) const
    {
        std::istringstream lines(m_text.str());
        int found = 0;
        for (std::string line; std::getline(lines, line);)
            found += line.find(fragment) != std::string::npos;
        return found;
    }
    bool contains(const std::string &fragment) const { return count(fragment) > 0; }
    void clear() { m_text.str({}); }

private:
    std::ostringstream m_text;
    std::shared_ptr<spdlog::sinks::ostream_sink_st> m_sink;
    std::shared_ptr<spdlog::logger> m_logger;
    spdlog::level::level_enum m_previousLevel = spdlog::level::info;
};

// Counts the emissions of a signal carrying the emitter, and checks the emitter is the expected object.
template<typename T>
struct EmissionCounter {
    int count = 0;
    T *last = nullptr;
    void operator()(T *emitter)
    {
        ++count;
        last = emitter;
    }
};

} // namespace Orvane::Test
