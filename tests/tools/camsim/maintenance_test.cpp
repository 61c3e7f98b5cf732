// Calibration, boot loader and firmware transfer as the maintenance windows drive them.
#include <gtest/gtest.h>

#include <memory>

#include "ByteIo.h"
#include "CameraSim.h"
#include "CamsimConstants.h"
#include "CamsimTestClient.h"

using namespace camsim;
using namespace camsim_test;

namespace {

class MaintenanceTest : public ::testing::Test {
protected:
    void start(uint8_t firmwareResult = 0) {
        SimOptions o;
        o.bindAddress = "127.0.0.25";
        o.identity.ip = {127, 0, 0, 25};
        o.announce = false;
        o.calibrationSeconds = 0.6;
        o.bootloaderDelaySeconds = 0.2;
        o.firmwareReportDelaySeconds = 0.3;
        o.firmwareResult = firmwareResult;
        camera = std::make_unique<CameraSim>(o);
        std::string error;
        ASSERT_TRUE(camera->start(&error)) << error;
        ASSERT_TRUE(client.connectTcp("127.0.0.25", "127.0.0.25"));
    }

    // Polls the state in the trailer of link checks until it matches, bounded.
    bool reachesState(uint8_t state, std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            const auto r = client.exchange(0);
            if (r && r->devState == state) return true;
            ::usleep(50000);
        }
        return false;
    }

    void transfer(const std::vector<uint8_t>& image) {
        std::vector<uint8_t> begin{1, 0, 0, 0, 0};
        putU32(&begin[1], uint32_t(image.size()), false);
        ASSERT_EQ(client.exchange(49, begin)->status, 0);
        for (size_t k = 0; k * 1024 < image.size(); ++k) {
            std::vector<uint8_t> chunk{2, uint8_t(k >> 8), uint8_t(k)};
            const size_t n = std::min<size_t>(1024, image.size() - k * 1024);
            chunk.insert(chunk.end(), image.begin() + long(k * 1024),
                         image.begin() + long(k * 1024 + n));
            ASSERT_EQ(client.exchange(49, chunk)->status, 0) << k;
        }
        ASSERT_EQ(client.exchange(49, {3})->status, 0);
    }

    std::unique_ptr<CameraSim> camera;
    CommandClient client;
};

}  // namespace

TEST_F(MaintenanceTest, CalibrationLogsItsProgressAndFinishes) {
    start();
    EXPECT_EQ(client.exchange(153, {0})->status, status::kReject);  // no set-up yet
    ASSERT_EQ(client.exchange(154, {1, 0, 0xE8, 3})->status, 0);
    const auto r = client.exchange(153, {2});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 0);
    EXPECT_EQ(r->devState, devstate::kCalibrating);

    const char* keywords[] = {
        "calibration:start",       "calibration:temperature",    "calibration:calcdllStep",
        "calibration:findRange",   "calibration:calibrate:step", "calibration:flash:erase",
        "calibration:flash:write", "calibration:verify:step",    "calibration:finish"};
    size_t next = 0;
    std::vector<Movoda::packet::InnerPacket> lines = client.skipped;
    while (next < std::size(keywords)) {
        std::optional<Movoda::packet::InnerPacket> line;
        if (!lines.empty()) {
            line = lines.front();
            lines.erase(lines.begin());
        } else {
            line = client.receiveId(cmd::kDeviceLog, 3s);
        }
        ASSERT_TRUE(line) << "waiting for " << keywords[next];
        const std::string text(line->payload.begin(), line->payload.end());
        if (text.find(keywords[next]) != std::string::npos) ++next;
    }
    EXPECT_TRUE(reachesState(devstate::kIdle, 2s));
}

TEST_F(MaintenanceTest, FirmwareGoesThroughTheBootLoaderAndReports) {
    start();
    ASSERT_EQ(client.exchange(48)->status, 0);
    EXPECT_TRUE(reachesState(devstate::kBootloader, 3s));
    std::vector<uint8_t> image(2049);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7);
    transfer(image);
    const auto report = client.receiveId(cmd::kFirmwareReport, 5s);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->status, status::kReport);
    EXPECT_EQ(report->payload, (std::vector<uint8_t>{3, 0}));
    EXPECT_TRUE(reachesState(devstate::kIdle, 2s));
}

TEST_F(MaintenanceTest, FirmwareResultCodeComesFromTheOption) {
    start(4);
    transfer(std::vector<uint8_t>(100, 1));
    const auto report = client.receiveId(cmd::kFirmwareReport, 5s);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->payload, (std::vector<uint8_t>{3, 4}));
}

TEST_F(MaintenanceTest, MissingChunksAreReportedAsASizeFailure) {
    start();
    std::vector<uint8_t> begin{1, 0, 0x10, 0, 0};  // 4096 bytes announced
    ASSERT_EQ(client.exchange(49, begin)->status, 0);
    std::vector<uint8_t> chunk{2, 0, 0};
    chunk.resize(3 + 1024, 9);
    ASSERT_EQ(client.exchange(49, chunk)->status, 0);
    chunk[2] = 2;  // chunk 1 skipped
    EXPECT_EQ(client.exchange(49, chunk)->status, status::kReject);
    ASSERT_EQ(client.exchange(49, {3})->status, 0);
    const auto report = client.receiveId(cmd::kFirmwareReport, 5s);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->payload, (std::vector<uint8_t>{3, kFirmwareResultSize}));
}
