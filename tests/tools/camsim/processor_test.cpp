// The camera's command logic without sockets: answers, validation and state changes.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <string>

#include "ByteIo.h"
#include "CamsimConstants.h"
#include "CommandProcessor.h"

using namespace camsim;

namespace {

std::vector<uint8_t> magic() {
    return {'M', 'O', 'V', 'O', 'D', 'A'};
}

std::vector<uint8_t> u16le(uint16_t v) {
    return {uint8_t(v), uint8_t(v >> 8)};
}

bool has(const Reply& r, FollowUp f) {
    for (FollowUp x : r.followUps) {
        if (x == f) return true;
    }
    return false;
}

class ProcessorTest : public ::testing::Test {
protected:
    CommandProcessor p{ProcessorSettings{}};
};

struct CommandCase {
    uint8_t id;
    std::vector<uint8_t> payload;
    uint8_t status;
    int answerSize;  // -1: any
};

}  // namespace

TEST_F(ProcessorTest, EveryCommandIsAnsweredAsItsSenderExpects) {
    const CommandCase cases[] = {
        {0, {}, 0, 0},
        {3, {10, 0, 0, 9, 255, 255, 255, 0, 10, 0, 0, 1}, 0, 0},
        {4, {}, 0, 125},
        {5, {}, 0, 78},
        {8, {0xE8, 3, 0, 0, 0, 0, 0x64, 0, 0, 0, 0, 0}, 0, 0},
        {9, u16le(100), 0, 0},
        {10, {2}, 0, 0},
        {12, {0x11}, 0, 0},
        {14, magic(), 0, 0},
        {18, {}, 0, 36},
        {19, {127, 0, 0, 1, 0x07, 0x1E}, 0, 0},
        {23, {4}, 0, 0},
        {27, {4, 0, 0, 0, 0}, 0, 0},
        {29, {}, 0, 28},
        {30, {1, 7}, 0, 0},
        {31, magic(), 0, 0},
        {47, {}, 0, -1},
        {51, {0, 0, 0, 0, 0x3F, 1, 0xEF, 0}, 0, 0},
        {52, {5}, 0, 0},
        {53, {1}, 0, 0},
        {56, {30}, 0, 0},
        {57, {1}, 0, 0},
        {58, {0}, 0, 0},
        {59, {2, 0, 0}, 0, 2},
        {150, {'M', 'K', '7', '5'}, 0, 0},
        {151, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
        {151, {1, 2, 3, 4, 5, 6}, 0, 0},
        {154, {1, 0, 0xE8, 3}, 0, 0},
        {161, {1, 0}, 0, 0},
        {163, {0xE8, 3, 0, 0, 0}, 0, 0},
        {164, {0}, 0, 4},
        {168, std::vector<uint8_t>(36, 0), 0, 0},
        {169, std::vector<uint8_t>(28, 0), 0, 0},
        {202, {0x22, 1}, 0, 0},
        {202, {0x32, 1}, 0, 0},
        {202, {0x26, 1, 10, 0x20, 0x01}, 0, 0},
        {202, {20, 0, 20}, 0, 0},
        {202, {10, 1}, 0, 0},
        {202, {11, 2, 0x10, 0}, 0, 0},
        {202, {0x29, 1, 5, 0}, 0, 0},
        {202, {0x77}, 1, 0},
        {1, {1, 1}, 0, 0},
        {2, {}, 0, 0},
        {48, {}, 0, 0},
        {99, {}, 1, 0},
        {250, {1, 2}, 1, 0},
    };
    for (const auto& c : cases) {
        const Reply r = p.handle(c.id, c.payload);
        EXPECT_TRUE(r.answer) << int(c.id);
        EXPECT_EQ(r.status, c.status) << "id " << int(c.id);
        if (c.answerSize >= 0) {
            EXPECT_EQ(int(r.payload.size()), c.answerSize) << int(c.id);
        }
    }
}

TEST_F(ProcessorTest, MalformedPayloadsAreRefusedWithoutChangingAnything) {
    const AcquisitionConfig before = p.config();
    const CommandCase cases[] = {
        {8, {1, 2, 3}, status::kFormat, 0},
        {9, {1}, status::kFormat, 0},
        {10, {7}, status::kReject, 0},
        {13, {'m', 'o', 'v', 'o', 'd', 'a'}, status::kReject, 0},
        {14, {}, status::kReject, 0},
        {51, {0, 0, 0, 0, 0x40, 1, 0xEF, 0}, status::kReject, 0},  // x1 = 320
        {51, {10, 0, 0, 0, 5, 0, 0xEF, 0}, status::kReject, 0},    // x1 < x0
        {52, {9}, status::kReject, 0},
        {56, {51}, status::kReject, 0},
        {56, {0}, status::kReject, 0},
        {23, {16}, status::kReject, 0},
        {168, std::vector<uint8_t>(35, 0), status::kFormat, 0},
        {202, {}, status::kFormat, 0},
        {202, {11, 4, 0, 0}, status::kFormat, 0},
        {1, {9, 1}, status::kReject, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(p.handle(c.id, c.payload).status, c.status) << "id " << int(c.id);
    }
    EXPECT_TRUE(p.config() == before);
    EXPECT_FALSE(p.streaming());
}

TEST_F(ProcessorTest, ParametersLandInTheConfiguration) {
    p.handle(8, {0xE8, 3, 0xC8, 0, 0, 0, 0x64, 0, 5, 0, 6, 0});
    p.handle(10, {2});
    p.handle(12, {0x10});
    p.handle(51, {10, 0, 20, 0, 0x3F, 1, 200, 0});
    p.handle(52, {2});
    p.handle(53, {2});
    p.handle(56, {50});
    p.handle(202, {0x22, 1});
    p.handle(202, {0x32, 1});
    const AcquisitionConfig c = p.config();
    EXPECT_EQ(c.intTimes, (std::array<uint16_t, 5>{1000, 200, 0, 5, 6}));
    EXPECT_EQ(c.intTimeGs, 100);
    EXPECT_EQ(c.hdrMode, 1);  // wire byte 2 is temporal, reported as 1
    EXPECT_TRUE(c.binningH);
    EXPECT_FALSE(c.binningV);
    EXPECT_EQ(c.roiX0, 10);
    EXPECT_EQ(c.roiY1, 200);
    EXPECT_EQ(c.width(), 310 / 2);
    EXPECT_EQ(c.height(), 181);
    EXPECT_EQ(c.freqCodes[0], 0);  // FREQ_24M is code 0
    EXPECT_EQ(c.vcselMode, 2);
    EXPECT_EQ(c.maxFps, 50);
    EXPECT_TRUE(c.grayscalePlane);
    EXPECT_TRUE(c.rawDcsPlane);

    p.handle(58, {0});
    EXPECT_EQ(p.config().width(), 160);
    EXPECT_EQ(p.config().height(), 240);
    p.handle(10, {1});
    EXPECT_EQ(p.config().hdrMode, 2);  // wire byte 1 is spatial
}

TEST_F(ProcessorTest, StartStopAndStatesTravelTogether) {
    EXPECT_EQ(p.devState(), devstate::kIdle);
    Reply r = p.handle(1, {3, 1});
    EXPECT_TRUE(has(r, FollowUp::StartStream));
    EXPECT_TRUE(p.streaming());
    EXPECT_EQ(p.devState(), devstate::kStream);
    EXPECT_EQ(p.config().streamCode, 3);
    EXPECT_EQ(p.handle(5, {}).payload.size(), 78u);
    p.handle(2, {});
    EXPECT_FALSE(p.streaming());
    EXPECT_EQ(p.devState(), devstate::kIdle);
}

TEST_F(ProcessorTest, RestoreFactoryBringsBackThePowerOnConfiguration) {
    p.handle(9, u16le(999));
    p.handle(56, {44});
    EXPECT_EQ(p.handle(14, magic()).status, 0);
    EXPECT_EQ(p.config().minAmplitude, AcquisitionConfig{}.minAmplitude);
    EXPECT_EQ(p.config().maxFps, AcquisitionConfig{}.maxFps);
}

TEST_F(ProcessorTest, ResetAnswersThenAsksForTheLinkToClose) {
    p.handle(1, {1, 1});
    const Reply r = p.handle(13, magic());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, FollowUp::ResetLink));
    EXPECT_FALSE(p.streaming());
}

TEST_F(ProcessorTest, MacNeedsTheUnlockFirst) {
    EXPECT_EQ(p.handle(151, {1, 2, 3, 4, 5, 6}).status, status::kReject);
    EXPECT_EQ(p.handle(151, std::vector<uint8_t>(6, 0xFF)).status, 0);
    EXPECT_EQ(p.handle(151, {1, 2, 3, 4, 5, 6}).status, 0);
    EXPECT_EQ(p.identity().mac, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
}

TEST_F(ProcessorTest, WrittenValuesReadBack) {
    p.handle(163, {0x18, 0xFC, 0xFF, 0xFF, 0});  // -1000
    const Reply coef = p.handle(164, {0});
    ASSERT_EQ(coef.payload.size(), 4u);
    EXPECT_EQ(int32_t(getU32(coef.payload.data(), false)), -1000);

    p.handle(59, {1, 0x34, 0x12});
    const Reply energy = p.handle(59, {2, 0, 0});
    EXPECT_EQ(getU16(energy.payload.data(), false), 0x1234);

    std::vector<uint8_t> lens(36, 0);
    putFloat(lens.data(), 250.0f);
    putFloat(lens.data() + 16, -0.25f);
    p.handle(168, lens);
    EXPECT_EQ(p.handle(18, {}).payload, lens);

    p.handle(150, {'Z', 'R', '3', '0', '0', 'L', 'I', 'T', 'E'});
    const Reply info = p.handle(4, {});
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&info.payload[7])), "ZR300LITE");

    const Reply boot = p.handle(47, {});
    EXPECT_GE(boot.payload.size(), kBootTextMinSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(boot.payload.data())), Identity{}.boot);
}

TEST_F(ProcessorTest, CalibrationNeedsItsSetUpAndBlocksStreaming) {
    EXPECT_EQ(p.handle(153, {1}).status, status::kReject);
    p.handle(154, {1, 1, 0xE8, 3});
    const Reply r = p.handle(153, {1});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r, FollowUp::StartCalibration));
    EXPECT_EQ(p.devState(), devstate::kCalibrating);
    EXPECT_EQ(p.handle(1, {1, 1}).status, status::kBusy);
    EXPECT_EQ(p.handle(153, {9}).status, status::kFormat);
    // The set-up is used up by one run.
    p.setDevState(devstate::kIdle);
    EXPECT_EQ(p.handle(152, {}).status, status::kReject);
}

namespace {

std::vector<uint8_t> chunk(uint16_t index, size_t size) {
    std::vector<uint8_t> c{2, uint8_t(index >> 8), uint8_t(index)};
    c.resize(3 + size, 0xAB);
    return c;
}

std::vector<uint8_t> begin(uint32_t size) {
    return {1, uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
}

}  // namespace

TEST_F(ProcessorTest, FirmwareTransferChecksOrderAndSize) {
    EXPECT_EQ(p.handle(49, chunk(0, 1024)).status, status::kReject);  // no begin yet
    EXPECT_EQ(p.handle(49, begin(2049)).status, 0);
    EXPECT_EQ(p.handle(49, chunk(1, 1024)).status, status::kReject);  // out of order
    EXPECT_EQ(p.handle(49, chunk(0, 1024)).status, 0);
    EXPECT_EQ(p.handle(49, chunk(0, 1024)).status, 0);                // a resend is acknowledged
    EXPECT_EQ(p.handle(49, chunk(1, 1000)).status, status::kReject);  // short middle chunk
    EXPECT_EQ(p.handle(49, chunk(1, 1024)).status, 0);
    EXPECT_EQ(p.handle(49, chunk(2, 2)).status, status::kReject);  // past the size
    EXPECT_EQ(p.handle(49, chunk(2, 1)).status, 0);
    const Reply end = p.handle(49, {3});
    EXPECT_EQ(end.status, 0);
    EXPECT_TRUE(has(end, FollowUp::FirmwareDone));
    EXPECT_EQ(p.firmwareResult(), 0);
}

TEST(ProcessorFirmware, IncompleteTransferReportsSizeAndResultOptionIsUsed) {
    ProcessorSettings s;
    s.firmwareResult = 3;
    CommandProcessor p(s);
    p.handle(49, begin(3000));
    p.handle(49, chunk(0, 1024));
    p.handle(49, {3});
    EXPECT_EQ(p.firmwareResult(), kFirmwareResultSize);
    p.handle(49, begin(10));
    p.handle(49, chunk(0, 10));
    p.handle(49, {3});
    EXPECT_EQ(p.firmwareResult(), 3);
}

TEST(ProcessorLegacy, OlderCameraReadsAndWritesBigEndian) {
    ProcessorSettings s;
    s.legacy = true;
    CommandProcessor p(s);
    p.handle(9, {0x01, 0x02});
    EXPECT_EQ(p.config().minAmplitude, 0x0102);
    p.handle(19, {10, 0, 0, 2, 0x1E, 0x07});
    EXPECT_EQ(p.destination().port, 7687);
    EXPECT_EQ(p.handle(4, {}).payload.size(), kLegacyDevInfoSize);
    EXPECT_EQ(p.handle(5, {}).payload.size(), kLegacyDevConfigSize);
    p.handle(163, {0, 0, 3, 0xE8, 0});
    EXPECT_EQ(p.config().tempCoefficient, 1000);
}

TEST(ProcessorStateFile, SaveToDevicePersistsAcrossInstances) {
    char path[] = "/tmp/camsim_state_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ProcessorSettings s;
    s.stateFile = path;
    {
        CommandProcessor p(s);
        p.handle(9, u16le(777));
        p.handle(56, {42});
        p.handle(51, {5, 0, 6, 0, 100, 0, 99, 0});
        EXPECT_EQ(p.handle(31, magic()).status, 0);
        p.handle(9, u16le(1));  // not saved
    }
    CommandProcessor again(s);
    EXPECT_EQ(again.config().minAmplitude, 777);
    EXPECT_EQ(again.config().maxFps, 42);
    EXPECT_EQ(again.config().roiX0, 5);
    EXPECT_EQ(again.config().roiY1, 99);
    std::remove(path);
}

TEST(ProcessorStateFile, GarbageValuesKeepTheDefaults) {
    char path[] = "/tmp/camsim_state_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "maxFps=200\nminAmplitude=abc\nroiX0=300\nroiX1=10\nchannel=3\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    close(fd);
    AcquisitionConfig c;
    ASSERT_TRUE(loadConfig(path, c));
    EXPECT_EQ(c.maxFps, AcquisitionConfig{}.maxFps);
    EXPECT_EQ(c.minAmplitude, AcquisitionConfig{}.minAmplitude);
    EXPECT_EQ(c.roiX0, 0);  // x0 beyond x1: the region is kept as it was
    EXPECT_EQ(c.channel, 3);
    std::remove(path);
    EXPECT_FALSE(loadConfig(path, c));
}
