#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "log/LogWriter.h"
#include "mvsdk/MvLog.h"

namespace fs = std::filesystem;
using Movoda::LogWriter;

namespace {

std::vector<std::string> readLines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class LogDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("vantory_log_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

const std::regex kTimeStamp(R"(\d{8}-\d{2}-\d{2}-\d{2})");

}  // namespace

TEST(LogLineFormat, WarningLineWithoutInstance) {
    EXPECT_EQ(
        LogWriter::formatSdkLine("20260101-10-11-12", Movoda::LOG_WARN, "Movoda::X::y", "m", ""),
        "[20260101-10-11-12 WARRING] Movoda::X::y: m");
}

TEST(LogLineFormat, InstanceNameStandsBeforeTag) {
    EXPECT_EQ(LogWriter::formatSdkLine("T", Movoda::LOG_INFO, "Movoda::X::y", "hello", "cam2"),
              "[T INFO] [cam2] Movoda::X::y: hello");
}

TEST(LogLineFormat, ApplicationLine) {
    EXPECT_EQ(LogWriter::formatAppLine("T", "MainWindow", "started"),
              "[T INFO] App MainWindow: started");
}

TEST(LogLineFormat, LevelsMapToNamesAndFiles) {
    struct Case {
        int level;
        const char* name;
        const char* file;
    };
    const Case cases[] = {{0, "INFO", "mvsdk_info.log"},
                          {1, "WARRING", "mvsdk_warn.log"},
                          {2, "ERROR", "mvsdk_err.log"},
                          {7, "ERROR", "mvsdk_err.log"}};
    for (const Case& c : cases) {
        EXPECT_STREQ(LogWriter::levelName(c.level), c.name) << c.level;
        EXPECT_STREQ(LogWriter::fileName(c.level), c.file) << c.level;
    }
}

TEST(LogLineFormat, TimeStampShape) {
    EXPECT_TRUE(std::regex_match(LogWriter::timeStamp(), kTimeStamp)) << LogWriter::timeStamp();
}

TEST_F(LogDirTest, InitCreatesNestedDirectoryAndThreeFiles) {
    LogWriter writer;
    const fs::path dir = root_ / "a" / "b" / "c";
    writer.init(dir.string() + "/");
    for (const char* name : {"mvsdk_info.log", "mvsdk_warn.log", "mvsdk_err.log"}) {
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
    const auto info = readLines(dir / "mvsdk_info.log");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0], "---------init_logger---------");
    EXPECT_EQ(writer.directory(), dir.string() + "/");
}

TEST_F(LogDirTest, LinesGoToTheirLevelFile) {
    LogWriter writer;
    writer.init(root_.string());  // without trailing separator
    writer.sdkLine(Movoda::LOG_INFO, "Movoda::A::b", "first", "");
    writer.sdkLine(Movoda::LOG_WARN, "Movoda::A::c", "second", "inst");
    writer.sdkLine(Movoda::LOG_ERROR, "Movoda::A::d", "third", "");
    writer.appLine("Viewer", "fourth");

    const auto info = readLines(root_ / "mvsdk_info.log");
    const auto warn = readLines(root_ / "mvsdk_warn.log");
    const auto err = readLines(root_ / "mvsdk_err.log");
    ASSERT_EQ(info.size(), 3u);
    ASSERT_EQ(warn.size(), 1u);
    ASSERT_EQ(err.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        info[1], std::regex(R"(\[\d{8}-\d{2}-\d{2}-\d{2} INFO\] Movoda::A::b: first)")))
        << info[1];
    EXPECT_TRUE(std::regex_match(info[2], std::regex(R"(\[\S+ INFO\] App Viewer: fourth)")))
        << info[2];
    EXPECT_TRUE(
        std::regex_match(warn[0], std::regex(R"(\[\S+ WARRING\] \[inst\] Movoda::A::c: second)")))
        << warn[0];
    EXPECT_TRUE(std::regex_match(err[0], std::regex(R"(\[\S+ ERROR\] Movoda::A::d: third)")))
        << err[0];
}

TEST_F(LogDirTest, SecondInitKeepsFirstDirectory) {
    LogWriter writer;
    writer.init((root_ / "first").string());
    writer.init((root_ / "second").string());
    writer.sdkLine(Movoda::LOG_ERROR, "T", "m", "");
    EXPECT_FALSE(fs::exists(root_ / "second"));
    EXPECT_EQ(readLines(root_ / "first" / "mvsdk_err.log").size(), 1u);
    EXPECT_EQ(readLines(root_ / "first" / "mvsdk_info.log").size(), 1u);  // one init line only
}

TEST_F(LogDirTest, AppendsToExistingFiles) {
    {
        LogWriter writer;
        writer.init(root_.string());
        writer.sdkLine(Movoda::LOG_WARN, "T", "old", "");
    }
    LogWriter writer;
    writer.init(root_.string());
    writer.sdkLine(Movoda::LOG_WARN, "T", "new", "");
    const auto warn = readLines(root_ / "mvsdk_warn.log");
    ASSERT_EQ(warn.size(), 2u);
    EXPECT_NE(warn[0].find("old"), std::string::npos);
    EXPECT_NE(warn[1].find("new"), std::string::npos);
}

TEST_F(LogDirTest, WithoutFilesLinesFallBackToStandardStreams) {
    LogWriter writer;  // never initialised
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    writer.sdkLine(Movoda::LOG_INFO, "T", "to-stdout", "");
    writer.sdkLine(Movoda::LOG_ERROR, "T", "to-stderr", "");
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("INFO] T: to-stdout\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("to-stderr"), std::string::npos);
    EXPECT_NE(err.find("ERROR] T: to-stderr\n"), std::string::npos) << err;
}

TEST_F(LogDirTest, UncreatableDirectoryFallsBack) {
    fs::create_directories(root_);
    std::ofstream(root_ / "file") << "x";  // a file where a directory should be
    LogWriter writer;
    writer.init((root_ / "file" / "sub").string());
    ::testing::internal::CaptureStderr();
    writer.sdkLine(Movoda::LOG_WARN, "T", "fallback", "");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("fallback"), std::string::npos);
}

TEST_F(LogDirTest, RotationKeepsOneBackup) {
    constexpr std::uint64_t kLimit = 2000;
    LogWriter writer(kLimit);
    writer.init(root_.string());
    const std::string message(100, 'a');
    ::testing::internal::CaptureStdout();
    // The init line plus 20 lines of ~140 bytes pass the limit once.
    for (int i = 0; i < 20; ++i)
        writer.sdkLine(Movoda::LOG_INFO, "T", message + std::to_string(i), "");
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("backupfile"), std::string::npos);

    const fs::path current = root_ / "mvsdk_info.log";
    const fs::path backup = root_ / "mvsdk_info.log.bk";
    ASSERT_TRUE(fs::exists(backup));
    EXPECT_GT(fs::file_size(backup), kLimit);
    EXPECT_LE(fs::file_size(current), kLimit);
    const auto old = readLines(backup);
    ASSERT_FALSE(old.empty());
    EXPECT_EQ(old[0], "---------init_logger---------");

    // Every line is in exactly one of the two files, in order.
    auto all = old;
    const auto fresh = readLines(current);
    all.insert(all.end(), fresh.begin(), fresh.end());
    ASSERT_EQ(all.size(), 21u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_NE(all[i + 1].find(message + std::to_string(i)), std::string::npos) << i;
    }
    // Other levels are untouched.
    EXPECT_FALSE(fs::exists(root_ / "mvsdk_warn.log.bk"));
}

TEST_F(LogDirTest, SecondRotationReplacesBackup) {
    LogWriter writer(500);
    writer.init(root_.string());
    ::testing::internal::CaptureStdout();
    for (int i = 0; i < 40; ++i)
        writer.sdkLine(Movoda::LOG_ERROR, "T", "line" + std::to_string(i) + std::string(60, 'x'),
                       "");
    ::testing::internal::GetCapturedStdout();
    const auto backup = readLines(root_ / "mvsdk_err.log.bk");
    ASSERT_FALSE(backup.empty());
    // The backup holds recent lines, not the first ones.
    EXPECT_EQ(backup.front().find("line0x"), std::string::npos);
    EXPECT_LE(fs::file_size(root_ / "mvsdk_err.log"), 500u);
}

TEST_F(LogDirTest, ConcurrentWritersNeverTearLines) {
    constexpr int kThreads = 8;
    constexpr int kLines = 1500;
    // About 1.3 MB in total: the files roll over exactly once during the run.
    LogWriter writer(800000);
    writer.init(root_.string());
    ::testing::internal::CaptureStdout();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&writer, t] {
            const std::string filler(40 + t * 7, char('a' + t));
            for (int i = 0; i < kLines; ++i) {
                writer.sdkLine(Movoda::LOG_WARN, "Movoda::W::t" + std::to_string(t),
                               std::to_string(i) + ":" + filler, "");
            }
        });
    }
    for (auto& thread : threads) thread.join();
    ::testing::internal::GetCapturedStdout();

    const std::regex shape(R"(\[\S+ WARRING\] Movoda::W::t(\d): (\d+):([a-h]+))");
    std::map<int, int> nextIndex;
    int total = 0;
    for (const char* name : {"mvsdk_warn.log.bk", "mvsdk_warn.log"}) {
        for (const std::string& line : readLines(root_ / name)) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, shape)) << "torn line: " << line;
            const int t = std::stoi(m[1]);
            EXPECT_EQ(m[3].str(), std::string(40 + t * 7, char('a' + t)));
            // Lines of one writer stay in order.
            const int index = std::stoi(m[2]);
            EXPECT_EQ(index, nextIndex[t]);
            nextIndex[t] = index + 1;
            ++total;
        }
    }
    EXPECT_EQ(total, kThreads * kLines);
    EXPECT_TRUE(fs::exists(root_ / "mvsdk_warn.log.bk"));
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(nextIndex[t], kLines) << t;
}

TEST_F(LogDirTest, ProcessWideFunctionsShareOneLog) {
    Movoda::init_logger(root_.string() + "/");
    Movoda::init_logger((root_ / "ignored").string());
    Movoda::sdkLog(Movoda::LOG_WARN, "Movoda::P::q", "process", "viewer1");
    Movoda::appLog("Gui", "app line");
    const auto warn = readLines(root_ / "mvsdk_warn.log");
    ASSERT_EQ(warn.size(), 1u);
    EXPECT_NE(warn[0].find("WARRING] [viewer1] Movoda::P::q: process"), std::string::npos);
    const auto info = readLines(root_ / "mvsdk_info.log");
    ASSERT_EQ(info.size(), 2u);
    EXPECT_NE(info[1].find("INFO] App Gui: app line"), std::string::npos);
    EXPECT_FALSE(fs::exists(root_ / "ignored"));
}
