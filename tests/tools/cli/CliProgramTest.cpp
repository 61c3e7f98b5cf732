// vantory-cli as a program against the simulated camera on loopback. Each test owns one
// address of 127.0.0.51-59 and, where it streams, the image port 9651-9659 of the same
// last digit; the configuration-file test owns 127.0.0.181 and image port 9681.
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>
#include <pcl/point_types.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "CameraSim.h"
#include "ChildProcess.h"

namespace {

using namespace std::chrono_literals;

const std::string kProgram = VANTORY_CLI_BINARY;
constexpr double kWallMetres = 2.0;

// The value text of one key in a flat JSON object line, or "" when absent.
std::string valueOf(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    const size_t at = line.find(marker);
    if (at == std::string::npos) return "";
    size_t end = at + marker.size();
    while (end < line.size() && line[end] != ',' && line[end] != '}') ++end;
    return line.substr(at + marker.size(), end - at - marker.size());
}

double numberOf(const std::string& line, const std::string& key) {
    const std::string text = valueOf(line, key);
    return text.empty() || text == "null" ? std::nan("") : std::strtod(text.c_str(), nullptr);
}

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantory-cli-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        workDir_ = pattern;
    }
    void TearDown() override {
        if (camera_) camera_->stop();
        camera_.reset();
        std::system(("rm -rf '" + workDir_ + "'").c_str());
    }

    camsim::SimOptions optionsFor(const std::string& address) {
        camsim::SimOptions o;
        o.bindAddress = address;
        o.announce = false;
        o.noise = 0;
        o.scene.distance = kWallMetres;
        o.identity.serial = "MK150PLUS0000" + address.substr(address.rfind('.') + 1);
        return o;
    }
    void startCamera(const camsim::SimOptions& options) {
        camera_ = std::make_unique<camsim::CameraSim>(options);
        std::string error;
        ASSERT_TRUE(camera_->start(&error)) << error;
    }
    ChildResult run(const std::vector<std::string>& args,
                    std::chrono::milliseconds deadline = 30s) {
        return runChild(kProgram, args, workDir_, deadline);
    }
    // Standard output must hold JSON object lines only; returns them.
    std::vector<std::string> jsonLines(const ChildResult& r) {
        const auto lines = linesOf(r.out);
        for (const std::string& line : lines) {
            EXPECT_TRUE(!line.empty() && line.front() == '{' && line.back() == '}')
                << "not a JSON line: " << line;
        }
        return lines;
    }

    std::string workDir_;
    std::unique_ptr<camsim::CameraSim> camera_;
};

TEST_F(CliProgram, HelpAndBadCommandLines) {
    const ChildResult help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: vantory-cli COMMAND ADDRESS", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("\n  stream ADDRESS "), std::string::npos) << help.out;

    const ChildResult noAddress = run({"stream", "--fps", "10"});
    EXPECT_EQ(noAddress.exitCode, 2);
    EXPECT_NE(noAddress.err.find("no camera address"), std::string::npos) << noAddress.err;
    EXPECT_TRUE(noAddress.out.empty());
}

TEST_F(CliProgram, InfoPrintsDeviceInformationAndConfiguration) {
    const camsim::SimOptions options = optionsFor("127.0.0.51");
    startCamera(options);
    const ChildResult r = run({"info", "127.0.0.51"});
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = linesOf(r.out);
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("serial: " + options.identity.serial)) << r.out;
    EXPECT_TRUE(has("firmware: " + options.identity.firmware)) << r.out;
    EXPECT_TRUE(has("mac: 02-4D-56-53-49-4D")) << r.out;
    EXPECT_TRUE(has("max fps limit: 50")) << r.out;
    EXPECT_TRUE(has("state: Connected-Idle")) << r.out;
    // The SDK's own diagnostics stay off standard output.
    EXPECT_EQ(r.out.find("mvsdk 2.1.8"), std::string::npos);
    EXPECT_NE(r.err.find("mvsdk 2.1.8"), std::string::npos);
}

TEST_F(CliProgram, InfoWithNobodyListeningFailsWithinTenSeconds) {
    const ChildResult r = run({"info", "127.0.0.52"}, 10s);
    ASSERT_TRUE(r.exited) << "still running after 10 s";
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("cannot connect"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST_F(CliProgram, StreamPrintsOneLinePerSecondAndASummary) {
    startCamera(optionsFor("127.0.0.53"));
    const ChildResult r = run({"stream", "127.0.0.53", "--type", "cloud", "--fps", "20",
                               "--seconds", "2", "--image-port", "9653"});
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = jsonLines(r);
    ASSERT_EQ(lines.size(), 3u) << r.out;  // seconds 1 and 2, then the summary
    EXPECT_EQ(valueOf(lines[0], "second"), "1");
    EXPECT_EQ(valueOf(lines[1], "second"), "2");
    const std::string& summary = lines[2];
    EXPECT_EQ(valueOf(summary, "summary"), "true");
    const double received = numberOf(summary, "received");
    EXPECT_GT(received, 0);
    // The second line also holds the frames still arriving while the camera stops.
    EXPECT_DOUBLE_EQ(received, numberOf(lines[0], "received") + numberOf(lines[1], "received"));
    EXPECT_DOUBLE_EQ(numberOf(summary, "lost"),
                     numberOf(lines[0], "lost") + numberOf(lines[1], "lost"));
    EXPECT_GE(numberOf(summary, "latencyMedianMs"), 0.0);
    EXPECT_GE(numberOf(summary, "latencyP99Ms"), numberOf(summary, "latencyMedianMs"));
    // A flat wall straight ahead: the centre of the cloud lies at its distance.
    EXPECT_NEAR(numberOf(summary, "centralZMedianM"), kWallMetres, 0.02) << summary;

    // The camera was told the rate and the port, and started with the cloud's stream code.
    bool sawRate = false, sawPort = false, sawStart = false;
    for (const auto& c : camera_->receivedCommands()) {
        if (c.id == 56 && c.payload == std::vector<uint8_t>{20}) sawRate = true;
        if (c.id == 19 && c.payload.size() == 6 && c.payload[4] == (9653 & 0xFF) &&
            c.payload[5] == (9653 >> 8))
            sawPort = true;
        if (c.id == 1 && c.payload == std::vector<uint8_t>{1, 1}) sawStart = true;
    }
    EXPECT_TRUE(sawRate);
    EXPECT_TRUE(sawPort);
    EXPECT_TRUE(sawStart);
    EXPECT_FALSE(camera_->streaming());  // stopped at the end
}

TEST_F(CliProgram, StreamReportsFramesLostToDroppedDatagrams) {
    camsim::SimOptions options = optionsFor("127.0.0.56");
    options.faults.datagrams.drop = 0.003;
    options.seed = 56;
    startCamera(options);
    const ChildResult r =
        run({"stream", "127.0.0.56", "--fps", "25", "--seconds", "2", "--image-port", "9656"});
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = jsonLines(r);
    ASSERT_FALSE(lines.empty());
    const std::string& summary = lines.back();
    EXPECT_GT(numberOf(summary, "received"), 0) << summary;
    EXPECT_GT(numberOf(summary, "lost"), 0) << summary;
    EXPECT_GT(numberOf(summary, "framesEvicted"), 0) << summary;
    EXPECT_GT(camera_->counters().stream.datagrams.dropped, 0u);
}

TEST_F(CliProgram, SnapshotWritesABinaryPcdAndACsv) {
    startCamera(optionsFor("127.0.0.54"));
    const std::string outDir = workDir_ + "/shots";
    const ChildResult r = run({"snapshot", "127.0.0.54", "--out", outDir, "--image-port", "9654"});
    ASSERT_TRUE(r.exited) << r.err;
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    ASSERT_EQ(lines[0].rfind("pcd: ", 0), 0u);
    ASSERT_EQ(lines[1].rfind("csv: ", 0), 0u);
    const std::string pcdPath = lines[0].substr(5);
    const std::string csvPath = lines[1].substr(5);
    EXPECT_EQ(pcdPath.rfind(outDir + "/", 0), 0u);

    const std::string pcdText = readWholeFile(pcdPath);
    EXPECT_NE(pcdText.find("\nFIELDS x y z intensity\n"), std::string::npos);
    EXPECT_NE(pcdText.find("\nDATA binary\n"), std::string::npos);
    pcl::PointCloud<pcl::PointXYZI> cloud;
    ASSERT_EQ(pcl::io::loadPCDFile(pcdPath, cloud), 0);
    ASSERT_EQ(cloud.width, 320u);
    ASSERT_EQ(cloud.height, 240u);
    const pcl::PointXYZI& centre = cloud.at(160, 120);
    EXPECT_NEAR(centre.z, kWallMetres, 0.02);
    EXPECT_NEAR(centre.x, 0.0, 0.02);
    // Points off the optical axis lie on the same plane.
    EXPECT_NEAR(cloud.at(40, 200).z, kWallMetres, 0.02);
    EXPECT_GT(std::abs(cloud.at(40, 200).x), 0.3);

    const auto rows = linesOf(readWholeFile(csvPath));
    ASSERT_EQ(rows.size(), 240u);
    std::vector<long> centreRow;
    std::stringstream cells(rows[120]);
    for (std::string cell; std::getline(cells, cell, ',');) centreRow.push_back(std::stol(cell));
    ASSERT_EQ(centreRow.size(), 320u);
    EXPECT_NEAR(centreRow[160], kWallMetres * 1000, 20);
    // Radial distance grows towards the edge of a flat wall.
    EXPECT_GT(centreRow[5], centreRow[160] + 50);
}

// A camera that answers "busy" now and then is asked again; one that stays busy is a
// refusal (exit 4), not a lost connection.
TEST_F(CliProgram, BusyCameraIsAskedAgain) {
    const std::pair<double, int> table[] = {{0.3, 0}, {1.0, 4}};
    for (const auto& [share, exitCode] : table) {
        camsim::SimOptions options = optionsFor("127.0.0.55");
        options.faults.busyShare = share;
        options.seed = 55;
        startCamera(options);
        const ChildResult r =
            run({"stream", "127.0.0.55", "--fps", "10", "--seconds", "1", "--image-port", "9655"});
        ASSERT_TRUE(r.exited) << r.err;
        EXPECT_EQ(r.exitCode, exitCode) << "busy share " << share << ": " << r.err;
        EXPECT_GT(camera_->counters().busyInjected, 0u);
        if (exitCode == 4) {
            EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
        }
        camera_->stop();
        camera_.reset();
    }
}

// An older camera speaks big-endian: told so, or left to the SDK's detection, the tool
// talks to it.
TEST_F(CliProgram, ByteOrderOptionReachesAnOlderCamera) {
    camsim::SimOptions options = optionsFor("127.0.0.58");
    options.legacy = true;
    startCamera(options);
    const ChildResult info = run({"info", "127.0.0.58", "--byte-order", "big"});
    ASSERT_TRUE(info.exited) << info.err;
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("serial: " + options.identity.serial), std::string::npos) << info.out;

    const ChildResult stream = run(
        {"stream", "127.0.0.58", "--byte-order", "auto", "--seconds", "1", "--image-port", "9658"});
    ASSERT_TRUE(stream.exited) << stream.err;
    EXPECT_EQ(stream.exitCode, 0) << stream.err;
    EXPECT_GT(numberOf(jsonLines(stream).back(), "received"), 0) << stream.out;
}

// Another program holds the image port: the tool says so instead of sharing the frames.
TEST_F(CliProgram, HeldImagePortIsNamed) {
    boost::asio::io_context io;
    boost::asio::ip::udp::socket holder(io, boost::asio::ip::udp::v4());
    holder.bind({boost::asio::ip::address_v4::any(), 9659});
    startCamera(optionsFor("127.0.0.59"));
    const ChildResult r = run({"stream", "127.0.0.59", "--seconds", "1", "--image-port", "9659"});
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("image port 9659 is held by another program"), std::string::npos) << r.err;
}

TEST_F(CliProgram, UsbPortNameAsAddress) {
    if (::geteuid() != 0) GTEST_SKIP() << "linking a port under /dev needs root";
    camsim::SimOptions options = optionsFor("127.0.0.57");
    options.usbPath = "/dev/ttyACM57";
    options.config.maxFps = 20;
    startCamera(options);

    const ChildResult info = run({"info", "/dev/ttyACM57"});
    ASSERT_TRUE(info.exited) << info.err;
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("serial: " + options.identity.serial), std::string::npos) << info.out;

    const ChildResult stream = run({"stream", "/dev/ttyACM57", "--seconds", "2"});
    ASSERT_TRUE(stream.exited) << stream.err;
    EXPECT_EQ(stream.exitCode, 0) << stream.err;
    const auto lines = jsonLines(stream);
    ASSERT_FALSE(lines.empty());
    EXPECT_GT(numberOf(lines.back(), "received"), 0) << stream.out;
}

}  // namespace

namespace {

TEST_F(CliProgram, ConfigFileIsAppliedBeforeStreaming) {
    const std::string config = workDir_ + "/tuned.mvcfg";
    {
        std::FILE* file = std::fopen(config.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(
            "[Setting]\nimgType=1\ndeviceType=3\nHDR=0\nint1=333\nint2=0\nint3=0\n"
            "intgs=1500\nminLSB=42\nmaxfps=12\nhmirror=0\nvmirror=0\n\n"
            "[Filters]\nmedianSize=5\nkalmanEnable=1\nkalmanFactor=0.35\n",
            file);
        std::fclose(file);
    }
    const ChildResult bad = run({"stream", "127.0.0.181", "--config", workDir_ + "/none.mvcfg"});
    ASSERT_TRUE(bad.exited);
    EXPECT_EQ(bad.exitCode, 2) << bad.err;
    EXPECT_NE(bad.err.find("none.mvcfg"), std::string::npos) << bad.err;

    startCamera(optionsFor("127.0.0.181"));
    const ChildResult r = run(
        {"stream", "127.0.0.181", "--seconds", "1", "--image-port", "9681", "--config", config});
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<uint8_t> hdr, minAmplitude, fps;
    bool sawTimes = false;
    for (const auto& c : camera_->receivedCommands()) {
        if (c.id == 10) hdr = c.payload;
        if (c.id == 9) minAmplitude = c.payload;
        if (c.id == 56) fps = c.payload;
        if (c.id == 8 && c.payload.size() >= 2 && c.payload[0] == (333 & 0xFF) &&
            c.payload[1] == (333 >> 8))
            sawTimes = true;
    }
    EXPECT_EQ(hdr, (std::vector<uint8_t>{0}));
    EXPECT_EQ(minAmplitude, (std::vector<uint8_t>{42, 0}));
    EXPECT_EQ(fps, (std::vector<uint8_t>{12}));
    EXPECT_TRUE(sawTimes);
}

}  // namespace
