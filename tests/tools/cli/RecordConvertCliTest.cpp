// vantory-cli record against the simulated camera (127.0.0.217, image port 8217), then
// convert of that recording with a damaged file among the record files.
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>
#include <pcl/point_types.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "CameraSim.h"
#include "ChildProcess.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kProgram = VANTORY_CLI_BINARY;
constexpr const char* kCameraAddress = "127.0.0.217";
constexpr const char* kImagePort = "8217";

std::string lineStartingWith(const std::string& text, const std::string& start) {
    for (const std::string& line : linesOf(text)) {
        if (line.rfind(start, 0) == 0) return line.substr(start.size());
    }
    return "";
}

TEST(CliRecordConvert, RecordsFramesThenConvertsThemReportingTheDamagedOne) {
    char pattern[] = "/tmp/vantory-cli-rc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string work = pattern;
    camsim::SimOptions sim;
    sim.bindAddress = kCameraAddress;
    sim.announce = false;
    sim.noise = 0;
    camsim::CameraSim camera(sim);
    std::string error;
    ASSERT_TRUE(camera.start(&error)) << error;

    const ChildResult recorded = runChild(kProgram,
                                          {"record", kCameraAddress, "--frames", "12", "--out",
                                           work + "/rec", "--image-port", kImagePort},
                                          work, 60s);
    camera.stop();
    ASSERT_TRUE(recorded.exited);
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
    const std::string dir = lineStartingWith(recorded.out, "directory: ");
    ASSERT_EQ(fs::path(dir).parent_path(), work + "/rec");
    EXPECT_EQ(lineStartingWith(recorded.out, "frames: "), "12 written, 0 dropped, 0 failed");
    for (int k = 0; k < 12; ++k)
        EXPECT_TRUE(fs::exists(dir + "/" + std::to_string(k) + ".xbin")) << k;

    // A damaged record file among them: the rest converts, the damaged one is listed.
    fs::copy_file(dir + "/3.xbin", dir + "/12.xbin");
    fs::resize_file(dir + "/12.xbin", 300);
    const ChildResult converted = runChild(
        kProgram, {"convert", dir, "--to", "pcd", "--out", work + "/pcd", "--threads", "2"}, work,
        60s);
    ASSERT_TRUE(converted.exited);
    EXPECT_EQ(converted.exitCode, 10) << converted.err;
    EXPECT_NE(converted.err.find("converted 13/13, 1 failed"), std::string::npos) << converted.err;
    EXPECT_NE(converted.err.find("failed: " + dir + "/12.xbin: "), std::string::npos)
        << converted.err;
    EXPECT_EQ(lineStartingWith(converted.out, "converted: "), "12 of 13 into " + work + "/pcd");
    for (int k = 0; k < 12; ++k) {
        pcl::PointCloud<pcl::PointXYZI> cloud;
        ASSERT_EQ(pcl::io::loadPCDFile(work + "/pcd/" + std::to_string(k) + ".pcd", cloud), 0) << k;
        EXPECT_EQ(cloud.width, 320u);
        EXPECT_EQ(cloud.height, 240u);
    }
    EXPECT_FALSE(fs::exists(work + "/pcd/12.pcd"));

    // Nothing but good files: exit code 0.
    fs::remove(dir + "/12.xbin");
    const ChildResult clean = runChild(
        kProgram,
        {"convert", dir + "/0.xbin", dir + "/1.xbin", "--to", "png16", "--out", work + "/png"},
        work, 60s);
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_TRUE(fs::exists(work + "/png/1_dist16.png"));
    fs::remove_all(work);
}

}  // namespace
