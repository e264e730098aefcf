#pragma once

// Collects what the "TbGpu" logger writes while the capture lives, to check messages and their levels.

#include <TbGpu/utils/logging.h>

#include <spdlog/sinks/base_sink.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace TbGpuTest {

struct LogLine {
    spdlog::level::level_enum level;
    std::string text;
    std::string function; // the qualified function the record names as its source
};

class LogCapture
{
public:
    LogCapture()
        : m_sink(std::make_shared<Sink>())
    {
        TbGpu::Logger::logger()->sinks().push_back(m_sink);
    }
    ~LogCapture()
    {
        auto &sinks = TbGpu::Logger::logger()->sinks();
        sinks.erase(std::remove(sinks.begin(), sinks.end(), m_sink), sinks.end());
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    std::vector<LogLine> lines() const
    {
        std::lock_guard lock(m_sink->linesMutex);
        return m_sink->lines;
    }
    size_t count(const std::string &text) const
    {
        const auto all = lines();
        return static_cast<size_t>(
                std::count_if(all.begin(), all.end(), [&](const LogLine &line) { return line.text == text; }));
    }
    bool contains(spdlog::level::level_enum level, const std::string &text) const
    {
        const auto all = lines();
        return std::any_of(all.begin(), all.end(),
                           [&](const LogLine &line) { return line.level == level && line.text == text; });
    }
    bool containsPrefix(spdlog::level::level_enum level, const std::string &prefix) const
    {
        const auto all = lines();
        return std::any_of(all.begin(), all.end(),
                           [&](const LogLine &line) { return line.level == level && line.text.rfind(prefix, 0) == 0; });
    }

private:
    struct Sink : spdlog::sinks::base_sink<std::mutex> {
        void sink_it_(const spdlog::details::log_msg &message) override
        {
            std::lock_guard lock(linesMutex);
            lines.push_back({ message.level, std::string(message.payload.data(), message.payload.size()),
                              message.source.funcname ? message.source.funcname : "" });
        }
        void flush_() override { }
        mutable std::mutex linesMutex;
        std::vector<LogLine> lines;
    };
    std::shared_ptr<Sink> m_sink;
};

} // namespace TbGpuTest
