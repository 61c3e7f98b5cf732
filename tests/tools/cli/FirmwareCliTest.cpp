// vantory-cli firmware as a program against the simulated camera on 127.0.0.175 (image
// port 9475): the update end to end, the exit code of each way it can end, and a file
// refused before the camera hears of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "CameraSim.h"
#include "ChildProcess.h"

namespace {

using namespace std::chrono_literals;

const std::string kProgram = VANTORY_CLI_BINARY;
constexpr const char* kCameraAddress = "127.0.0.175";
constexpr const char* kImagePort = "9475";
constexpr uint8_t kBootloaderEntry = 48;
constexpr uint8_t kFirmwareTransfer = 49;

class FirmwareCli : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantory-cli-fw-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        workDir_ = pattern;
    }
    void TearDown() override {
        if (camera_) camera_->stop();
        std::system(("rm -rf '" + workDir_ + "'").c_str());
    }
    void startCamera(uint8_t result) {
        camsim::SimOptions options;
        options.bindAddress = kCameraAddress;
        options.announce = false;
        options.firmwareReportDelaySeconds = 0.2;
        options.bootloaderDelaySeconds = 0.2;
        options.firmwareResult = result;
        camera_ = std::make_unique<camsim::CameraSim>(options);
        std::string error;
        ASSERT_TRUE(camera_->start(&error)) << error;
    }
    // An image of `size` bytes; `marked` ones need no boot-loader switch.
    std::string writeImage(std::size_t size, bool marked) {
        std::vector<char> bytes(size, 0x33);
        if (marked && size >= 4) {
            const char mark[] = {char(0xDF), char(0xD5), 0x0A, 0x00};
            std::copy(mark, mark + 4, bytes.begin());
        }
        const std::string path = workDir_ + "/fw.bin";
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return path;
    }
    ChildResult run(const std::string& image) {
        return runChild(kProgram, {"firmware", kCameraAddress, image, "--image-port", kImagePort},
                        workDir_, 60s);
    }
    std::size_t received(uint8_t id) const {
        std::size_t count = 0;
        for (const auto& command : camera_->receivedCommands()) count += command.id == id;
        return count;
    }

    std::string workDir_;
    std::unique_ptr<camsim::CameraSim> camera_;
};

TEST_F(FirmwareCli, EachEndingHasItsExitCode) {
    struct Row {
        const char* name;
        uint8_t cameraResult;
        std::size_t size;
        bool marked;
        int exitCode;
        const char* stderrPart;
        const char* stdoutLine;
    };
    const Row rows[] = {
        {"programmed via the boot loader", 0, 5000, false, 0, "firmware: 100%",
         "firmware: updated 127.0.0.175"},
        {"camera reports a bad image", 3, 3000, true, 8, "升级失败:固件数据校验失败",
         "firmware: failed 127.0.0.175"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(startCamera(row.cameraResult));
        const ChildResult r = run(writeImage(row.size, row.marked));
        ASSERT_TRUE(r.exited) << r.err;
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_NE(r.err.find(row.stderrPart), std::string::npos) << r.err;
        EXPECT_EQ(r.out, std::string(row.stdoutLine) + "\n");
        EXPECT_EQ(received(kBootloaderEntry), row.marked ? 0u : 1u);
        EXPECT_EQ(received(kFirmwareTransfer), (row.size + 1023) / 1024 + 2);
        camera_->stop();
    }
}

TEST_F(FirmwareCli, UnusableFilesAreRefusedWithoutTouchingTheCamera) {
    ASSERT_NO_FATAL_FAILURE(startCamera(0));
    for (const std::string& path : {writeImage(0, false), workDir_ + "/missing.bin"}) {
        const ChildResult r = run(path);
        ASSERT_TRUE(r.exited) << r.err;
        EXPECT_EQ(r.exitCode, 7) << r.err;
        EXPECT_NE(r.err.find("the firmware file " + path), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(camera_->counters().linksAccepted, 0u);
}

}  // namespace
