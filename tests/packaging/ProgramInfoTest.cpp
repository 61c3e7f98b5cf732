// Each program answers --help with its usage and --version with its version, exits 0
// and needs no display for either: a windowed program that built its application object
// first would end with Qt's "could not connect to display" abort here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"
#include "VantoryBuildInfo.h"

namespace {

// "name=path,name=path" as the build wrote it.
std::vector<std::pair<std::string, std::string>> programs() {
    std::vector<std::pair<std::string, std::string>> list;
    const std::string all = VANTORY_PROGRAMS;
    size_t begin = 0;
    while (begin < all.size()) {
        size_t end = all.find(',', begin);
        if (end == std::string::npos) end = all.size();
        const std::string entry = all.substr(begin, end - begin);
        const size_t equals = entry.find('=');
        list.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
        begin = end + 1;
    }
    return list;
}

TEST(ProgramInfo, HelpAndVersionWithoutDisplay) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
    char dir[] = "/tmp/program-info-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const auto list = programs();
    ASSERT_GE(list.size(), 2u);  // vantory-reset and vantory-camsim are always built

    for (const auto& [name, path] : list) {
        SCOPED_TRACE(name);
        for (const char* option : {"--help", "-h"}) {
            const ChildResult help = runChild(path, {option}, dir, std::chrono::seconds(30));
            EXPECT_TRUE(help.exited);
            EXPECT_EQ(help.exitCode, 0) << help.err;
            EXPECT_EQ(help.out.rfind("Usage: " + name + " ", 0), 0u) << help.out;
            EXPECT_EQ(help.err, "");
        }
        const ChildResult version = runChild(path, {"--version"}, dir, std::chrono::seconds(30));
        EXPECT_TRUE(version.exited);
        EXPECT_EQ(version.exitCode, 0) << version.err;
        EXPECT_EQ(version.out, name + " " + vantory::buildinfo::kVersion + "\n");
        EXPECT_EQ(version.err, "");
    }
    // Nothing but the captured output is left behind: no log folder, no settings file.
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string file = entry.path().filename().string();
        EXPECT_TRUE(file == "child.out" || file == "child.err") << file;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
