// vantory-cli stats and vantory-camsim --replay against the simulated camera (127.0.0.92,
// image port 8392): temporal noise against the simulator's noise model, loss against the
// injected datagram drops, statistics of record files, and a recording replayed and
// recorded again with the same frame planes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "CameraSim.h"
#include "ChildProcess.h"
#include "export/RecordFrameLoader.h"
#include "records/RecordNaming.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kProgram = VANTORY_CLI_BINARY;
constexpr const char* kCameraAddress = "127.0.0.92";
constexpr const char* kImagePort = "8392";
// The simulator's distance noise: sigma = scale * 2 mm * (1 + d / m) * sqrt(1000 / amplitude).
constexpr double kNoiseBaseMm = 2.0;

// The number after "key": inside the object "object" of a one-line JSON text; NaN when
// missing or null.
double numberIn(const std::string& json, const std::string& object, const std::string& key) {
    size_t from = 0;
    if (!object.empty()) {
        from = json.find("\"" + object + "\":{");
        if (from == std::string::npos) return NAN;
    }
    const size_t at = json.find("\"" + key + "\":", from);
    if (at == std::string::npos) return NAN;
    const char* start = json.c_str() + at + key.size() + 3;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start ? NAN : value;
}

class StatsCli : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantory-cli-stats-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        work = pattern;
    }
    void TearDown() override { fs::remove_all(work); }

    camsim::SimOptions simulator(double noise, double distance = 1.5) const {
        camsim::SimOptions sim;
        sim.bindAddress = kCameraAddress;
        sim.announce = false;
        sim.noise = noise;
        sim.scene.distance = distance;
        sim.config.maxFps = 25;
        return sim;
    }

    ChildResult cli(std::vector<std::string> args) const {
        return runChild(kProgram, args, work, 90s);
    }

    // The last line of the output that is a JSON object.
    static std::string jsonLine(const std::string& out) {
        std::string found;
        for (const std::string& line : linesOf(out))
            if (!line.empty() && line.front() == '{') found = line;
        return found;
    }

    std::string work;
};

TEST_F(StatsCli, TemporalNoiseFollowsTheSimulatorsNoiseModel) {
    struct Case {
        double noise, distance;
    } cases[] = {{0, 1.5}, {1, 1.0}, {1, 3.0}};
    std::map<double, double> noiseAt;  // by distance, noise scale 1
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "noise " << c.noise << " at " << c.distance << " m");
        camsim::CameraSim camera(simulator(c.noise, c.distance));
        std::string error;
        ASSERT_TRUE(camera.start(&error)) << error;
        const ChildResult r = cli({"stats", kCameraAddress, "--image-port", kImagePort, "--frames",
                                   "30", "--roi", "150,110,20,20"});
        camera.stop();
        ASSERT_TRUE(r.exited);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string json = jsonLine(r.out);
        EXPECT_EQ(numberIn(json, "", "frames"), 30) << json;
        EXPECT_EQ(numberIn(json, "distance", "validShare"), 1.0) << json;
        const double noise = numberIn(json, "distance", "temporalNoise");
        if (c.noise == 0) {
            EXPECT_EQ(noise, 0.0) << json;
            continue;
        }
        // The model at the measured distance and amplitude, plus the rounding to whole mm.
        const double metres = numberIn(json, "distance", "mean") / 1000.0;
        const double amplitude = numberIn(json, "amplitude", "mean");
        const double sigma = kNoiseBaseMm * (1.0 + metres) * std::sqrt(1000.0 / amplitude);
        const double expected = std::sqrt(sigma * sigma + 1.0 / 12.0);
        EXPECT_NEAR(noise, expected, 0.2 * expected) << json;
        noiseAt[c.distance] = noise;
    }
    EXPECT_GT(noiseAt[3.0], 3 * noiseAt[1.0]);  // (1 + d) d grows eightfold from 1 m to 3 m
}

TEST_F(StatsCli, LinkLossIsNearTheInjectedDatagramDrops) {
    camsim::SimOptions sim = simulator(1);
    sim.faults.datagrams.drop = 0.005;
    sim.config.maxFps = 50;
    camsim::CameraSim camera(sim);
    std::string error;
    ASSERT_TRUE(camera.start(&error)) << error;
    const ChildResult r =
        cli({"stats", kCameraAddress, "--image-port", kImagePort, "--frames", "40"});
    const auto sent = camera.counters().stream.datagrams;
    camera.stop();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string json = jsonLine(r.out);
    // Count-based: about 0.5 % of some 20 000 datagrams; the bounds leave room for chance
    // and for datagrams a loaded system loses on its own.
    EXPECT_GT(numberIn(json, "link", "lossShare"), 0.0025) << json;
    EXPECT_LT(numberIn(json, "link", "lossShare"), 0.0125) << json;
    EXPECT_GT(numberIn(json, "link", "datagramsLost"), 0.5 * 0.005 * double(sent.datagrams))
        << json;
    EXPECT_GT(numberIn(json, "link", "framesEvicted"), 0) << json;
}

TEST_F(StatsCli, RecordFilesAndTheirReplayKeepEveryFramePlane) {
    camsim::CameraSim camera(simulator(1));
    std::string error;
    ASSERT_TRUE(camera.start(&error)) << error;
    const ChildResult first = cli({"record", kCameraAddress, "--frames", "12", "--out",
                                   work + "/first", "--image-port", kImagePort});
    camera.stop();
    ASSERT_EQ(first.exitCode, 0) << first.err;
    std::vector<std::string> recorded = Movoda::records::recordFilesIn(
        fs::directory_iterator(work + "/first")->path().string(), error);
    ASSERT_EQ(recorded.size(), 12u) << error;
    const std::string firstDir = fs::path(recorded.front()).parent_path().string();

    // Statistics of the files: every frame, and a rectangle reaching past the edge.
    const ChildResult files = cli({"stats", firstDir, "--roi", "300,200,100,100"});
    ASSERT_EQ(files.exitCode, 0) << files.err;
    const std::string json = jsonLine(files.out);
    EXPECT_EQ(numberIn(json, "", "frames"), 12) << json;
    EXPECT_EQ(numberIn(json, "roi", "width"), 20) << json;
    EXPECT_EQ(numberIn(json, "roi", "height"), 40) << json;
    EXPECT_GT(numberIn(json, "distance", "temporalNoise"), 0) << json;
    EXPECT_TRUE(std::isnan(numberIn(json, "link", "fps"))) << "no link figures for files";

    // The same frames from the simulator replaying them, recorded again.
    camsim::SimOptions replaying = simulator(1);
    replaying.replayDir = firstDir;
    replaying.replayFps = 25;
    camsim::CameraSim replay(replaying);
    ASSERT_TRUE(replay.start(&error)) << error;
    EXPECT_NE(replay.replaySummary().find("replaying 12 frames"), std::string::npos)
        << replay.replaySummary();
    const ChildResult second = cli({"record", kCameraAddress, "--frames", "20", "--out",
                                    work + "/second", "--image-port", kImagePort});
    replay.stop();
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const std::vector<std::string> again = Movoda::records::recordFilesIn(
        fs::directory_iterator(work + "/second")->path().string(), error);
    ASSERT_EQ(again.size(), 20u);

    // Frames keep their recorded numbers: each frame recorded again must carry exactly the
    // planes of the original with that number (the time of arrival differs).
    Movoda::exporters::RecordFrameLoader loader;
    std::map<uint64_t, std::shared_ptr<Movoda::Frame>> originals;
    for (const std::string& path : recorded) {
        auto loaded = loader.load(path);
        ASSERT_TRUE(loaded.frame) << loaded.error;
        originals[loaded.frame->frameId()] = loaded.frame;
    }
    std::map<uint64_t, int> matched;
    for (const std::string& path : again) {
        auto loaded = loader.load(path);
        ASSERT_TRUE(loaded.frame) << loaded.error;
        const Movoda::Frame& copy = *loaded.frame;
        const auto original = originals.find(copy.frameId());
        ASSERT_NE(original, originals.end()) << path << " is no frame of the recording";
        const Movoda::Frame& o = *original->second;
        const size_t n = size_t(o.width()) * o.height();
        ASSERT_EQ(copy.width(), o.width());
        ASSERT_EQ(copy.height(), o.height());
        EXPECT_EQ(copy.dataFlags(), o.dataFlags());
        EXPECT_TRUE(std::equal(o.distancePlane(), o.distancePlane() + n, copy.distancePlane()))
            << path;
        EXPECT_TRUE(std::equal(o.amplitudePlane(), o.amplitudePlane() + n, copy.amplitudePlane()))
            << path;
        ++matched[copy.frameId()];
    }
    EXPECT_GE(matched.size(), 10u) << "most of the recording came back";
}

TEST(CamsimReplay, RefusesFoldersWithoutUsableRecordFiles) {
    char pattern[] = "/tmp/vantory-replay-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::ofstream(dir + "/0.xbin") << "not a record file";
    struct Case {
        std::string folder, says;
    } cases[] = {{dir + "/missing", "No such file"},
                 {dir + "/empty", "holds no record files"},
                 {dir, "none of its 1 record files"}};
    fs::create_directory(dir + "/empty");
    for (const Case& c : cases) {
        camsim::SimOptions sim;
        sim.bindAddress = kCameraAddress;
        sim.announce = false;
        sim.replayDir = c.folder;
        camsim::CameraSim camera(sim);
        std::string error;
        EXPECT_FALSE(camera.start(&error)) << c.folder;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    fs::remove_all(dir);
}

}  // namespace
