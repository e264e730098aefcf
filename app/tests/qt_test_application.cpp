#include "qt_test_application.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace ovi::test {

namespace {

int argc = 1;
char programName[] = "tavisher-tests";
char *argv[] = { programName, nullptr };

class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { application = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { application.reset(); }

    std::unique_ptr<QApplication> application;
};

QtApplicationEnvironment *const environment =
        static_cast<QtApplicationEnvironment *>(::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment));

} // namespace

QApplication &qtApplication()
{
    return *environment->application;
}

} // namespace ovi::test
