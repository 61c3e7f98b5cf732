// The firmware update against the simulated camera on 127.0.0.171 (image port 9471): the
// bytes of the transfer, the boot-loader entry, the camera's result codes, the watchdog,
// and images refused before anything is sent.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include "FirmwareUpdate.h"
#include "SimulatedCamera.h"

namespace vantory::service {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCameraAddress = "127.0.0.171";
constexpr uint16_t kImagePort = 9471;
constexpr uint8_t kBootloaderEntry = 48;
constexpr uint8_t kFirmwareTransfer = 49;
constexpr uint8_t kBootloaderText = 47;
constexpr uint32_t kDevStateBootloader = 14;
// First byte of each transfer record.
constexpr uint8_t kBegin = 0x01, kChunk = 0x02, kEnd = 0x03;
// The procedure's pauses, shortened; the sequence is the same. The SDK learns the camera's
// state from its packets: while the procedure only polls, that is the link check after
// 3 s of silence, so the boot loader shows after about 3 s.
const UpdateTimings kFastTimings{0ms, 250ms, 30, 1ms};

struct Shown {
    std::string english;
    Tone tone;
    bool operator==(const Shown& o) const { return english == o.english && tone == o.tone; }
};

// What the update said, in order.
struct Said {
    std::vector<int> progress;
    std::vector<Shown> statuses;
    std::vector<std::string> messages, lines;
    std::optional<UpdateOutcome> outcome;
};

class RecordingListener : public UpdateListener {
public:
    void progress(int value) override {
        record([&] { said_.progress.push_back(value); });
        if (onProgress) onProgress(value);  // on the worker thread
    }
    void status(const Text& text, Tone tone) override {
        record([&] { said_.statuses.push_back({text.english, tone}); });
    }
    void message(const Text& text) override {
        record([&] { said_.messages.push_back(text.english); });
    }
    void line(const std::string& text) override {
        record([&] { said_.lines.push_back(text); });
    }
    void finished(UpdateOutcome outcome) override {
        record([&] { said_.outcome = outcome; });
    }
    std::function<void(int)> onProgress;

    void clear() {
        record([&] { said_ = Said(); });
        onProgress = nullptr;
    }
    Said said() {
        std::lock_guard<std::mutex> lock(mutex_);
        return said_;
    }
    std::optional<UpdateOutcome> waitForOutcome(std::chrono::milliseconds timeout = 20s) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, timeout, [this] { return said_.outcome.has_value(); });
        return said_.outcome;
    }

private:
    template <typename F>
    void record(F change) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            change();
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    Said said_;
};

std::vector<uint8_t> randomImage(std::size_t size, bool withBootloaderMark) {
    std::mt19937 rng(static_cast<unsigned>(size));
    std::vector<uint8_t> image(size);
    for (uint8_t& b : image) b = static_cast<uint8_t>(rng());
    if (withBootloaderMark) {
        const uint8_t mark[] = {0xDF, 0xD5, 0x0A, 0x00};
        std::copy(mark, mark + 4, image.begin());
    } else if (size >= 4) {
        image[0] = 0;  // never the mark by chance
    }
    return image;
}

class FirmwareUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vantory-fw-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        nextRow();
        std::filesystem::remove_all(dir_);
    }
    // Rows of a table each start their own camera.
    void nextRow() {
        sim_.onEvent(nullptr);  // no report may reach an update that is gone
        update_.reset();
        sim_.stop();
        listener_.clear();
    }
    void startCamera(bool legacy = false, uint8_t result = 0, double reportDelaySeconds = 0.1) {
        camsim::SimOptions options;
        options.bindAddress = kCameraAddress;
        options.legacy = legacy;
        options.bootloaderDelaySeconds = 0.2;
        options.firmwareReportDelaySeconds = reportDelaySeconds;
        options.firmwareResult = result;
        ASSERT_NO_FATAL_FAILURE(sim_.start(options, kImagePort));
        update_ = std::make_unique<FirmwareUpdate>(sim_.sdk(), listener_, kFastTimings);
        sim_.onEvent([this](const Movoda::CBEventData& event) { update_->handleReport(event); });
    }
    std::string writeImage(const std::vector<uint8_t>& bytes) {
        const std::string path = (dir_ / "image.bin").string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Chunk payloads the camera took, without the resends of an unanswered chunk.
    std::vector<std::vector<uint8_t>> transferPayloads() {
        std::vector<std::vector<uint8_t>> payloads;
        for (auto& p : sim_.payloadsOf(kFirmwareTransfer)) {
            if (payloads.empty() || payloads.back() != p) payloads.push_back(p);
        }
        return payloads;
    }

    std::filesystem::path dir_;
    testsupport::SimulatedCamera sim_;
    RecordingListener listener_;
    std::unique_ptr<FirmwareUpdate> update_;
};

TEST_F(FirmwareUpdateTest, SendsBeginChunksAndEndThenReportsTheCamerasSuccess) {
    struct Row {
        const char* name;
        std::size_t size;
        bool mark;
        bool legacy;
        std::vector<uint8_t> beginSize;  // the size field as the camera receives it
    };
    const Row rows[] = {
        {"two full chunks, via the boot loader", 2048, false, false, {0x00, 0x08, 0x00, 0x00}},
        {"one byte more", 2049, true, false, {0x01, 0x08, 0x00, 0x00}},
        {"big-endian link", 2049, true, true, {0x00, 0x00, 0x08, 0x01}},
        {"chunk 300", 300 * 1024 + 5, true, false, {0x05, 0xB0, 0x04, 0x00}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(startCamera(row.legacy));
        const std::vector<uint8_t> image = randomImage(row.size, row.mark);
        ASSERT_TRUE(update_->start(writeImage(image)));
        ASSERT_EQ(listener_.waitForOutcome(), UpdateOutcome::Programmed);

        // The boot loader is asked for unless the image carries the mark.
        EXPECT_EQ(sim_.payloadsOf(kBootloaderEntry).size(), row.mark ? 0u : 1u);
        const auto payloads = transferPayloads();
        const std::size_t chunks = (row.size + 1023) / 1024;
        ASSERT_EQ(payloads.size(), chunks + 2);
        std::vector<uint8_t> begin = {kBegin};
        begin.insert(begin.end(), row.beginSize.begin(), row.beginSize.end());
        EXPECT_EQ(payloads.front(), begin);
        EXPECT_EQ(payloads.back(), std::vector<uint8_t>{kEnd});
        std::vector<uint8_t> received;
        for (std::size_t k = 0; k < chunks; ++k) {
            const auto& chunk = payloads[k + 1];
            ASSERT_GE(chunk.size(), 4u);
            EXPECT_EQ(chunk[0], kChunk);
            EXPECT_EQ(std::size_t(chunk[1]) << 8 | chunk[2], k);  // chunk 300: 0x01 0x2C
            received.insert(received.end(), chunk.begin() + 3, chunk.end());
        }
        EXPECT_EQ(received, image);  // a short last chunk included

        const auto progress = listener_.said().progress;
        ASSERT_GE(progress.size(), 3u);
        EXPECT_EQ(progress[progress.size() - 3], 100);  // last chunk
        EXPECT_EQ(progress[progress.size() - 2], 95);   // programming
        EXPECT_EQ(progress.back(), 100);                // the camera's report
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end() - 2));
        EXPECT_EQ(listener_.said().statuses.back(), (Shown{"Finish", Tone::Green}));
        EXPECT_EQ(listener_.said().messages, std::vector<std::string>{"update successed"});
        EXPECT_FALSE(update_->waitingForReport());
        nextRow();
    }
}

TEST_F(FirmwareUpdateTest, CameraAlreadyInItsBootLoaderIsAcceptedAtTheFirstPoll) {
    ASSERT_NO_FATAL_FAILURE(startCamera());
    std::vector<uint8_t> answer;
    sim_.sdk().customCmd(kBootloaderEntry, {}, answer, 1000);
    // The SDK learns the state from the camera's answers.
    ASSERT_TRUE(testsupport::SimulatedCamera::waitFor(
        [&] {
            sim_.sdk().customCmd(kBootloaderText, {}, answer, 1000);
            return sim_.sdk().getDevState() == kDevStateBootloader;
        },
        5s));
    ASSERT_TRUE(update_->start(writeImage(randomImage(3000, false))));
    ASSERT_EQ(listener_.waitForOutcome(), UpdateOutcome::Programmed);
    EXPECT_EQ(update_->bootloaderPolls(), 1);
}

TEST_F(FirmwareUpdateTest, CameraResultCodesEndTheWaitWithTheirText) {
    struct Row {
        uint8_t code;
        std::string text;
    };
    const Row rows[] = {{2, "升级失败:flash 擦写错误"}, {4, "升级失败: 数据迁移失败"}, {9, ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.code));
        ASSERT_NO_FATAL_FAILURE(startCamera(false, row.code));
        ASSERT_TRUE(update_->start(writeImage(randomImage(2000, true))));
        ASSERT_EQ(listener_.waitForOutcome(), UpdateOutcome::CameraError);
        EXPECT_EQ(listener_.said().statuses.back(), (Shown{row.text, Tone::Red}));
        EXPECT_EQ(listener_.said().messages, std::vector<std::string>{row.text});
        EXPECT_FALSE(update_->waitingForReport());
        EXPECT_NE(listener_.said().progress.back(), 100);
        nextRow();
    }
}

TEST_F(FirmwareUpdateTest, WithoutAReportTheEleventhWatchdogTickFails) {
    ASSERT_NO_FATAL_FAILURE(startCamera(false, 0, 600.0));
    ASSERT_TRUE(update_->start(writeImage(randomImage(1024, true))));
    ASSERT_TRUE(
        testsupport::SimulatedCamera::waitFor([&] { return !update_->workerRunning(); }, 10s));
    ASSERT_TRUE(update_->waitingForReport());
    EXPECT_EQ(listener_.said().statuses.back(),
              (Shown{"Firmware is programing, do not power off", Tone::Red}));
    for (int tick = 1; tick <= 10; ++tick) update_->tick();
    EXPECT_TRUE(update_->waitingForReport());
    update_->tick();
    EXPECT_FALSE(update_->waitingForReport());
    EXPECT_EQ(listener_.waitForOutcome(0ms), UpdateOutcome::NoReport);
    EXPECT_EQ(listener_.said().statuses.back(), (Shown{"Fail", Tone::Red}));
    update_->tick();                                  // nothing left to watch
    EXPECT_EQ(listener_.said().statuses.size(), 3u);  // transferring, programming, fail
}

TEST_F(FirmwareUpdateTest, UnusableImagesAreRefusedBeforeTheCameraHearsOfThem) {
    ASSERT_NO_FATAL_FAILURE(startCamera());
    const std::string empty = (dir_ / "empty.bin").string();
    std::ofstream(empty).close();
    const std::string huge = (dir_ / "huge.bin").string();
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, 65536 * 1024 + 1);  // one byte past chunk 0xFFFF; sparse
    struct Row {
        std::string path;
        const char* text;
    };
    const Row rows[] = {{(dir_ / "missing.bin").string(), "Firmware file cannot be read"},
                        {dir_.string(), "Firmware file cannot be read"},
                        {empty, "Firmware file is empty"},
                        {huge, "Firmware file is larger than 64 MiB"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        listener_.clear();
        ASSERT_TRUE(update_->start(row.path));
        EXPECT_EQ(listener_.waitForOutcome(), UpdateOutcome::BadImage);
        EXPECT_EQ(listener_.said().statuses, (std::vector<Shown>{{row.text, Tone::Red}}));
        EXPECT_EQ(listener_.said().messages, std::vector<std::string>{row.text});
        ASSERT_TRUE(
            testsupport::SimulatedCamera::waitFor([&] { return !update_->workerRunning(); }, 5s));
    }
    EXPECT_TRUE(sim_.payloadsOf(kBootloaderEntry).empty());
    EXPECT_TRUE(sim_.payloadsOf(kFirmwareTransfer).empty());
}

TEST_F(FirmwareUpdateTest, ARefusedStepStopsTheTransfer) {
    struct Row {
        const char* name;
        int muteAtProgress;  // -1: the camera never answers the transfer command
        UpdateOutcome outcome;
        const char* status;
    };
    const Row rows[] = {{"begin unanswered", -1, UpdateOutcome::BeginRefused, "Fail: size"},
                        {"chunk unanswered", 50, UpdateOutcome::LostData, "Fail: lost data"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_FATAL_FAILURE(startCamera());
        camsim::FaultOptions mute;
        mute.mutedIds = {kFirmwareTransfer};
        if (row.muteAtProgress < 0) sim_.camera().setFaults(mute);
        bool muted = false;
        listener_.onProgress = [&](int value) {
            if (!muted && row.muteAtProgress >= 0 && value >= row.muteAtProgress) {
                muted = true;
                sim_.camera().setFaults(mute);
            }
        };
        ASSERT_TRUE(update_->start(writeImage(randomImage(10 * 1024, true))));
        ASSERT_EQ(listener_.waitForOutcome(), row.outcome);
        EXPECT_EQ(listener_.said().statuses.back(), (Shown{row.status, Tone::Red}));
        EXPECT_FALSE(update_->waitingForReport());
        const auto payloads = transferPayloads();
        if (row.outcome == UpdateOutcome::LostData) {
            // Chunks 0-4 went through, chunk 5 was not answered, "end" still went out.
            ASSERT_EQ(payloads.size(), 1u + 6u + 1u);
            EXPECT_EQ(payloads.back(), std::vector<uint8_t>{kEnd});
            EXPECT_EQ(listener_.said().lines,
                      std::vector<std::string>{"fwupdata: Write failed 10 5"});
            EXPECT_EQ(listener_.said().messages,
                      std::vector<std::string>{"Upgrade failed, data lost"});
        } else {
            EXPECT_EQ(payloads.size(), 1u);  // begin only
        }
        nextRow();
    }
}

}  // namespace
}  // namespace vantory::service
