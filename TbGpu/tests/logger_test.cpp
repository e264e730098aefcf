// The logger is created once per process, so each case runs in a fresh child process (a death test that exits).
#include <TbGpu/utils/logging.h>

#include <spdlog/sinks/ostream_sink.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using TbGpu::Logger;

namespace {

std::string readFile(const std::string &path)
{
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// Runs in the child: standard output goes to a file, the logger is made, and the exit code says whether the
// announcement reached standard output exactly once.
[[noreturn]] void announceIntoFile(const std::string &path)
{
    if (!std::freopen(path.c_str(), "w", stdout))
        std::exit(3);
    auto logger = Logger::logger();
    Logger::logger(); // a second request makes no second logger
    logger->flush();
    std::fflush(stdout);
    const std::string output = readFile(path);
    const std::string hello = "Hello from the TbGpu Logger";
    const size_t first = output.find(hello);
    const bool once = first != std::string::npos && output.find(hello, first + 1) == std::string::npos;
    std::exit(once && logger->name() == "TbGpu" && spdlog::get("TbGpu") == logger ? 0 : 1);
}

[[noreturn]] void useRegisteredLogger()
{
    std::ostringstream captured;
    auto registered =
            std::make_shared<spdlog::logger>("TbGpu", std::make_shared<spdlog::sinks::ostream_sink_mt>(captured));
    spdlog::register_logger(registered);
    const bool same = Logger::logger() == registered;
    std::exit(same && captured.str().find("Hello") == std::string::npos ? 0 : 1);
}

} // namespace

TEST(LoggerProcessTest, AnnouncesItselfOnStandardOutputOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = testing::TempDir() + "tbgpu_logger_announcement.txt";
    EXPECT_EXIT(announceIntoFile(path), testing::ExitedWithCode(0), "");
}

TEST(LoggerProcessTest, UsesALoggerSomeoneRegisteredUnderItsName)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(useRegisteredLogger(), testing::ExitedWithCode(0), "");
}
