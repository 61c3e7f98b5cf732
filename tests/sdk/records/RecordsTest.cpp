// Record files: layout of both versions, reading back, unsupported and damaged files, the
// older information block, text dumps, directory naming, and the recorder's writer thread
// (limit, no-limit, a full queue, failed writes).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

#include "FramePacketBuilder.h"
#include "records/HexDump.h"
#include "records/RecordFormat.h"
#include "records/RecordNaming.h"
#include "records/Recorder.h"

namespace fs = std::filesystem;
using namespace Movoda::records;
using vantory_test::PacketPlan;

namespace {

struct TempDir {
    TempDir() {
        char pattern[] = "/tmp/vantory-records-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string path;
};

std::shared_ptr<Movoda::Frame> frameOf(uint8_t format, uint16_t frameNumber = 7) {
    PacketPlan s;
    s.width = 16;
    s.height = 4;
    s.format = format;
    s.frameNumber = frameNumber;
    s.distance.assign(s.pixels(), 1234);
    s.amplitude.assign(s.pixels(), 321);
    return vantory_test::decodeFrame(s);
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Builds the bytes of a record file the way the recorder writes them.
std::vector<uint8_t> recordBytes(const Movoda::Frame& f, const Movoda::LensParams& lens,
                                 const RecordInfo& info) {
    const std::vector<uint8_t>& packet = f.packet();
    RecordFileLayout layout =
        recordFileLayout(f.version(), packet.data(), packet.size(), lens, info);
    layout.header.insert(layout.header.end(),
                         packet.begin() + static_cast<std::ptrdiff_t>(layout.packetOffset),
                         packet.end());
    return layout.header;
}

TEST(RecordFileTest, BothVersionsRoundTripToTheDecodersPayload) {
    Movoda::LensParams lens;
    lens.fx = 211.5f;
    lens.p2 = -0.0006f;
    RecordInfo info;
    info.modFreqIndex = 2;
    info.hdrIndex = 1;
    info.maxFps = 25;
    info.minAmplitude = 60;
    info.intTimes = {1000, 250, 40};
    info.grayIntTime = 3000;
    info.serial = std::string(50, 'S');  // longer than its field
    info.firmware = "2.5.3_2024110";
    struct Case {
        uint8_t format;
        uint32_t version;
        size_t headerBytes;
        size_t packetSkipped;
    };
    for (const Case c : {Case{3, 3, 4, 0}, Case{2, 2, 114, 8}}) {
        const auto frame = frameOf(c.format);
        const std::vector<uint8_t> bytes = recordBytes(*frame, lens, info);
        EXPECT_EQ(bytes.size(), c.headerBytes + frame->packet().size() - c.packetSkipped)
            << int(c.format);
        const RecordReadResult read = parseRecordFile(bytes);
        ASSERT_EQ(read.status, ReadStatus::Ok) << read.message;
        EXPECT_EQ(read.content.version, c.version);
        // The payload is the frame's inner packet: the stored packet without marks and length.
        const std::vector<uint8_t>& packet = frame->packet();
        EXPECT_EQ(read.content.payload, std::vector<uint8_t>(packet.begin() + 8, packet.end() - 4))
            << int(c.format);
        EXPECT_EQ(read.content.lens.has_value(), c.version == 2);
        if (c.version == 2) {
            EXPECT_FLOAT_EQ(read.content.lens->fx, 211.5f);
            EXPECT_FLOAT_EQ(read.content.lens->p2, -0.0006f);
            EXPECT_EQ(read.content.info->serial, std::string(39, 'S'));
            EXPECT_EQ(read.content.info->firmware, "2.5.3_2024110");
            EXPECT_EQ(read.content.info->intTimes[1], 250);
            EXPECT_EQ(read.content.info->grayIntTime, 3000);
            EXPECT_EQ(read.content.info->maxFps, 25);
        } else {
            EXPECT_TRUE(read.content.hasInfoBlock);
            EXPECT_TRUE(read.message.empty()) << read.message;
        }
    }
}

TEST(RecordFileTest, DamagedAndUnsupportedFilesAreRefusedWithAReason) {
    const auto frame = frameOf(3);
    std::vector<uint8_t> good = recordBytes(*frame, {}, {});
    struct Case {
        std::vector<uint8_t> bytes;
        ReadStatus status;
        std::string message;
    };
    std::vector<uint8_t> version4 = good;
    version4[0] = 4;
    std::vector<uint8_t> wrongBlock = good;
    wrongBlock[wrongBlock.size() - 4 - 4] = 0xC8;  // block length 200 instead of 206
    const Case cases[] = {
        {version4, ReadStatus::UnsupportedVersion, "fileVer not support"},
        {{3, 0}, ReadStatus::Truncated, "record file too short"},
        {{2, 0, 0, 0, 1, 2, 3}, ReadStatus::Truncated, "record file too short"},
        {std::vector<uint8_t>(kMaxRecordFileBytes + 1, 3), ReadStatus::TooLarge,
         "record file too large"},
        {wrongBlock, ReadStatus::Ok, "size error: 200  206"},
    };
    for (const Case& c : cases) {
        const RecordReadResult read = parseRecordFile(c.bytes);
        EXPECT_EQ(read.status, c.status) << c.message;
        EXPECT_EQ(read.message, c.message);
    }
    EXPECT_EQ(readRecordFile("/nonexistent/0.xbin").status, ReadStatus::CannotOpen);
}

// Older cameras ended version-2 frames with an information block of 201 to 249 bytes; the
// file reader rewrites it to the short trailer, and the frame decodes with its values.
TEST(RecordFileTest, OlderInformationBlockBecomesTheShortTrailer) {
    PacketPlan s;
    s.width = 8;
    s.height = 2;
    s.temperature1 = 4321;
    s.temperature2 = -250;
    s.roiX0 = 12;
    s.roiY0 = 34;
    s.binningFlags = 2;
    s.captureMs = 1234567;
    s.timeSource = 1;
    s.distance.assign(s.pixels(), 900);
    s.amplitude.assign(s.pixels(), 77);
    std::vector<uint8_t> payload = vantory_test::buildInner(s);
    // Grow the 206-byte block to 220 bytes: padding at its end, length field updated.
    const size_t blockAt = payload.size() - 206;
    std::vector<uint8_t> block(payload.begin() + static_cast<std::ptrdiff_t>(blockAt),
                               payload.end());
    block.insert(block.end() - 4, 14, 0xEE);
    vantory_test::putLe16(block, block.size() - 4, 220);
    payload.resize(blockAt);
    payload.insert(payload.end(), block.begin(), block.end());

    std::string message;
    ASSERT_TRUE(convertOldInfoBlock(payload, message)) << message;
    auto frame = std::make_shared<Movoda::Frame>(0, 1, 8, 2);
    ASSERT_TRUE(frame->loadHeader(payload.data(), payload.size()));
    frame->allocatePlanes();
    frame->setPacket(payload.data(), payload.size(), true);
    frame->decode();
    EXPECT_EQ(frame->version(), 2);
    EXPECT_EQ(frame->temperature1(), 4321);
    EXPECT_EQ(frame->temperature2(), -250);
    EXPECT_EQ(frame->roiX0(), 12);
    EXPECT_EQ(frame->roiY0(), 34);
    EXPECT_EQ(frame->binningFlags(), 2);
    EXPECT_EQ(frame->timeSec(), 1234u);
    EXPECT_EQ(frame->timeNsec(), 567000000u);
    EXPECT_EQ(frame->distance(0), 900u);

    std::vector<uint8_t> odd = vantory_test::buildInner(s);
    vantory_test::putLe16(odd, odd.size() - 4, 190);  // outside 201..249
    EXPECT_FALSE(convertOldInfoBlock(odd, message));
    EXPECT_EQ(message, "size error: 190  52");
}

TEST(HexDumpTest, BadLinesAreReportedAndLeftOut) {
    const HexDump dump = parseHexDump("  0a0B ff\n\nABC\n12zz\n0102\r\n");
    EXPECT_EQ(dump.bytes, (std::vector<uint8_t>{0x01, 0x02}));
    // The length is checked first.
    EXPECT_EQ(dump.messages, (std::vector<std::string>{kHexOddLength, kHexOddLength, kHexNotHex}));
    EXPECT_FALSE(dump.endsWithInfoBlock);
    // A newer frame ends with its 206-byte block (length field 206), then the end mark.
    const HexDump newer = parseHexDump("CE000003FF7E55AA\n");
    EXPECT_TRUE(newer.endsWithInfoBlock);
}

TEST(RecordNamingTest, RecordingsStartedInTheSameSecondKeepTheirOwnDirectories) {
    TempDir base;
    const std::string name = timeText(1700000000);
    std::string error;
    std::vector<std::string> made;
    for (int k = 0; k < 3; ++k)
        made.push_back(createRecordingDirectory(base.path + "/exports", name, error).value_or(""));
    EXPECT_EQ(made[0], base.path + "/exports/" + name);
    EXPECT_EQ(made[1], made[0] + "-2");
    EXPECT_EQ(made[2], made[0] + "-3");
    EXPECT_EQ(name.size(), std::string("20231114-22-13-20").size());
    EXPECT_EQ(recordFilePath("/d", 99), "/d/99.xbin");
    // A directory cannot be made below a file.
    std::ofstream(base.path + "/plain").put('x');
    EXPECT_FALSE(createRecordingDirectory(base.path + "/plain", name, error));
    EXPECT_FALSE(error.empty());
}

class RecorderTest : public ::testing::Test {
protected:
    Recorder::Hooks hooks() {
        Recorder::Hooks h;
        h.queryLens = [this](Movoda::LensParams& lens) {
            lens.fx = 200.0f;
            return lensAnswers_.load();
        };
        h.log = [this](const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            logs_.push_back(line);
        };
        h.failed = [this](const std::string& title, const std::string& text) {
            std::lock_guard<std::mutex> lock(mutex_);
            failures_.push_back(title + ": " + text);
        };
        return h;
    }
    std::vector<std::string> files(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir base_;
    std::atomic<bool> lensAnswers_{true};
    std::mutex mutex_;
    std::vector<std::string> logs_;
    std::vector<std::string> failures_;
};

TEST_F(RecorderTest, HundredFramesThenTheRecordingIsComplete) {
    // Frames come faster than a camera sends them: the queue holds them all.
    Recorder recorder(hooks(), base_.path, 256);
    const auto frame = frameOf(3);
    recorder.start({}, kDefaultFrameLimit);
    for (int k = 0; k < 130; ++k) recorder.recordFrame(frame->version(), frame->packet());
    ASSERT_TRUE(recorder.waitIdle(20000));
    const RecordingCounts c = recorder.counts();
    EXPECT_EQ(c.written, 100);
    EXPECT_EQ(c.dropped + c.failed, 0);
    EXPECT_TRUE(recorder.complete());
    std::vector<std::string> expected;
    for (int k = 0; k < 100; ++k) expected.push_back(std::to_string(k) + ".xbin");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files(c.directory), expected);
    EXPECT_EQ(fileBytes(c.directory + "/99.xbin").size(), 4 + frame->packet().size());

    // No limit: a second recording goes on past 100 into a directory of its own.
    recorder.setNoLimit(true);
    recorder.start({}, kDefaultFrameLimit);
    for (int k = 0; k < 120; ++k) recorder.recordFrame(frame->version(), frame->packet());
    recorder.stop();
    recorder.recordFrame(frame->version(), frame->packet());  // after stop: not recorded
    ASSERT_TRUE(recorder.waitIdle(20000));
    EXPECT_EQ(recorder.counts().written, 120);
    EXPECT_FALSE(recorder.complete());
    EXPECT_NE(recorder.counts().directory, c.directory);
}

TEST_F(RecorderTest, AFullQueueDropsAndCountsTheFrame) {
    std::mutex gate;
    std::condition_variable opened;
    bool open = false;
    // The disk stalls: the writer waits until the test lets it go on.
    FileWriter slowDisk = [&](const std::string& path, const std::vector<uint8_t>& header,
                              const uint8_t* data, size_t size, std::string& error) {
        std::unique_lock<std::mutex> lock(gate);
        opened.wait(lock, [&] { return open; });
        return writeRecordFile(path, header, data, size, error);
    };
    Recorder recorder(hooks(), base_.path, 4, slowDisk);
    const auto frame = frameOf(3);
    recorder.setNoLimit(true);
    recorder.start({}, kDefaultFrameLimit);
    for (int k = 0; k < 10; ++k) recorder.recordFrame(frame->version(), frame->packet());
    {
        std::lock_guard<std::mutex> lock(gate);
        open = true;
    }
    opened.notify_all();
    ASSERT_TRUE(recorder.waitIdle(20000));
    const RecordingCounts c = recorder.counts();
    // Four buffers: one taken by the stalled writer, three queued; the rest dropped.
    EXPECT_EQ(c.written + c.dropped, 10);
    EXPECT_GE(c.dropped, 5);
    EXPECT_LE(c.written, 5);
    std::lock_guard<std::mutex> lock(mutex_);
    ASSERT_FALSE(logs_.empty());
    EXPECT_NE(logs_.front().find("frame dropped (1 dropped so far)"), std::string::npos);
}

// Real failures of the real writer: a file name taken by a directory (cannot open), and a
// file that hits the size limit half way (the partial file must go).
TEST_F(RecorderTest, FailedWritesAreReportedCountedAndStopTheRecording) {
    std::signal(SIGXFSZ, SIG_IGN);
    Recorder recorder(hooks(), base_.path);
    const auto frame = frameOf(3);
    recorder.start({}, kDefaultFrameLimit);
    recorder.recordFrame(frame->version(), frame->packet());
    ASSERT_TRUE(recorder.waitIdle(20000));
    const std::string dir = recorder.counts().directory;
    ASSERT_EQ(recorder.counts().written, 1);

    fs::create_directory(dir + "/1.xbin");  // the next file cannot be opened
    recorder.recordFrame(frame->version(), frame->packet());
    ASSERT_TRUE(recorder.waitIdle(20000));
    EXPECT_EQ(recorder.counts().failed, 1);
    EXPECT_TRUE(recorder.active());
    fs::remove(dir + "/1.xbin");

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4 + frame->packet().size() / 2;  // every file stops half way
    setrlimit(RLIMIT_FSIZE, &small);
    for (int k = 0; k < 3; ++k) recorder.recordFrame(frame->version(), frame->packet());
    const bool idle = recorder.waitIdle(20000);
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(idle);
    const RecordingCounts c = recorder.counts();
    EXPECT_EQ(c.written, 1);
    // The failure before and two more make three in a row: the recording stops, and the
    // frame still queued is counted as dropped.
    EXPECT_EQ(c.failed, 3);
    EXPECT_EQ(c.dropped, 1);
    EXPECT_FALSE(c.active);
    EXPECT_EQ(files(dir), std::vector<std::string>{"0.xbin"});  // no partly written file left
    std::lock_guard<std::mutex> lock(mutex_);
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_EQ(failures_.front().rfind("record fail: cannot write " + dir, 0), 0u)
        << failures_.front();
    // The reason is logged once per recording, not once per frame.
    EXPECT_EQ(std::count_if(
                  logs_.begin(), logs_.end(),
                  [](const std::string& l) { return l.find("cannot write") != std::string::npos; }),
              1);
}

TEST_F(RecorderTest, NoLensNoRecording) {
    // The camera gives no lens until both frames are queued, so both wait for it.
    std::promise<void> bothQueued;
    const std::shared_future<void> queued = bothQueued.get_future().share();
    Recorder::Hooks h = hooks();
    h.queryLens = [queued](Movoda::LensParams&) {
        queued.wait_for(std::chrono::seconds(20));
        return false;
    };
    Recorder recorder(h, base_.path);
    const auto frame = frameOf(2);
    recorder.start({}, kDefaultFrameLimit);
    recorder.recordFrame(frame->version(), frame->packet());
    recorder.recordFrame(frame->version(), frame->packet());
    bothQueued.set_value();
    ASSERT_TRUE(recorder.waitIdle(20000));
    EXPECT_FALSE(recorder.active());
    EXPECT_EQ(recorder.counts().written, 0);
    EXPECT_EQ(recorder.counts().dropped, 2);  // queued frames are counted, not lost silently
    // A frame offered once the recording has stopped belongs to no recording.
    recorder.recordFrame(frame->version(), frame->packet());
    ASSERT_TRUE(recorder.waitIdle(20000));
    EXPECT_EQ(recorder.counts().dropped, 2);
    std::lock_guard<std::mutex> lock(mutex_);
    EXPECT_EQ(failures_, std::vector<std::string>{"record fail: camera_params empty"});
    EXPECT_EQ(std::count(logs_.begin(), logs_.end(), "recordFrame: get g_camparams failed"),
              kLensAttempts);
    EXPECT_TRUE(fs::is_empty(base_.path));  // no directory without a lens
}

}  // namespace
