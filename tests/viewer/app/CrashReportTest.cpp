#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "CrashReport.h"

namespace vantory {
namespace {

namespace fs = std::filesystem;

class CrashReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("vantory_crash_" + std::to_string(::getpid()));
        fs::remove_all(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    // Runs a child that installs the reporter and dies of `signalNumber`.
    int crashChild(int signalNumber) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (!installCrashReporter((directory_ / "crash").string())) ::_exit(2);
            ::raise(signalNumber);
            ::_exit(3);  // not reached when the signal is fatal
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }

    std::string onlyReport() {
        std::string content;
        int files = 0;
        for (const auto& entry : fs::directory_iterator(directory_ / "crash")) {
            ++files;
            std::ifstream in(entry.path());
            std::stringstream buffer;
            buffer << in.rdbuf();
            content = buffer.str();
            EXPECT_EQ(entry.path().filename().string().rfind("crash_", 0), 0u);
        }
        EXPECT_EQ(files, 1);
        return content;
    }

    fs::path directory_;
};

TEST_F(CrashReportTest, SegfaultWritesReportAndStillKillsProcess) {
    const int status = crashChild(SIGSEGV);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    const std::string report = onlyReport();
    EXPECT_NE(report.find("signal: 11\n"), std::string::npos) << report;
    EXPECT_NE(report.find("time: "), std::string::npos);
    EXPECT_NE(report.find("backtrace:\n"), std::string::npos);
    // At least one frame follows the backtrace heading.
    EXPECT_GT(report.size(), report.find("backtrace:\n") + 11);
}

TEST_F(CrashReportTest, AbortIsReportedWithItsNumber) {
    const int status = crashChild(SIGABRT);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    EXPECT_NE(onlyReport().find("signal: 6\n"), std::string::npos);
}

TEST_F(CrashReportTest, DirectoryThatCannotBeMadeInstallsNothing) {
    const fs::path blocker = directory_;
    fs::create_directories(blocker.parent_path());
    { std::ofstream file(blocker); file << "x"; }  // a file where the directory should go
    EXPECT_FALSE(installCrashReporter((blocker / "crash").string()));
    fs::remove(blocker);
}

TEST(CrashReportName, CarriesTimeAndProcess) {
    EXPECT_EQ(crashReportFileName(1700000000, 42), "crash_1700000000_42.txt");
}

}  // namespace
}  // namespace vantory
