#include <gtest/gtest.h>

#include <vector>

#include "facade/DevConfigCodec.h"

using namespace Movoda;
using namespace Movoda::facade;
using Bytes = std::vector<uint8_t>;

namespace {

void putBytes(Bytes& b, size_t offset, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), b.begin() + offset);
}

// A 78-byte record with every field set to a distinct value.
Bytes layoutP(uint8_t dataCode, uint8_t hdr, std::initializer_list<uint8_t> freqCodes) {
    Bytes b(78, 0xEE);
    b[7] = 0x11;
    b[8] = dataCode;
    b[9] = hdr;
    putBytes(b, 10, freqCodes);
    putBytes(b, 15, {0xE8, 0x03, 0xF4, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // 1000, 500
    putBytes(b, 25, {0x64, 0x00});                                                  // gs 100
    putBytes(b, 27, {0x01, 0x00, 0x03, 0x00, 0x02, 0x00, 0x04, 0x00});  // at 27, 29, 31, 33
    putBytes(b, 35, {0x2C, 0x01});                                      // 300
    b[37] = 2;
    b[38] = 0x02;
    b[40] = 60;
    b[41] = 25;
    b[42] = 3;
    b[44] = 7;
    b[47] = 1;
    putBytes(b, 48, {0x10, 0x00, 0x20, 0x00, 0x30, 0x00, 0x40, 0x01});
    return b;
}

TEST(DevConfigLayoutP, EveryFieldAtItsOffset) {
    const Bytes b = layoutP(1, 0, {2, 4, 9, 9, 9});
    DevConfig c;
    c.extraByte = 99;
    ASSERT_EQ(devConfigLayout(b.size()), DevConfigLayout::P);
    ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), false, c));
    EXPECT_EQ(c.devByte, 0x11);
    EXPECT_EQ(c.imageType, IMG_DISTANCE);
    EXPECT_EQ(c.hdrMode, 0u);
    EXPECT_EQ(c.freqCode, (std::array<uint8_t, 5>{2, 4, 9, 9, 9}));
    EXPECT_EQ(c.intTime, (std::array<uint16_t, 5>{1000, 500, 0, 0, 0}));
    EXPECT_EQ(c.intTimeGs, 100);
    EXPECT_EQ(c.cfgWords, (std::array<uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(c.minAmplitude, 300);
    EXPECT_EQ(c.channel, 2);
    EXPECT_EQ(c.binningH, 1);
    EXPECT_EQ(c.binningV, 0);
    EXPECT_EQ(c.maxFpsLimit, 60);
    EXPECT_EQ(c.maxFps, 25);
    EXPECT_EQ(c.vcselMode, 3);
    EXPECT_EQ(c.ptpDomain, 7);
    EXPECT_EQ(c.cutOn, 1);
    EXPECT_EQ(c.cutInt0, 0x10);
    EXPECT_EQ(c.cutDist0, 0x20);
    EXPECT_EQ(c.cutInt1, 0x30);
    EXPECT_EQ(c.cutDist1, 0x140);
    EXPECT_EQ(c.layoutRev, 3);
    EXPECT_EQ(c.recordVersion, 3);
    EXPECT_EQ(c.modFreq, FREQ_6M);  // freqCode 1 = 2
    EXPECT_EQ(c.extraByte, 0);      // not part of this record
}

TEST(DevConfigLayoutP, DataCodeAndCloudFlagGiveTheImageType) {
    struct Row {
        uint8_t code;
        bool cloud;
        uint32_t type;
    };
    const Row rows[] = {{1, false, IMG_DISTANCE},  {3, false, IMG_AMPLITUDE},
                        {8, false, IMG_GRAYSCALE}, {0, false, IMG_AMPLITUDE},
                        {1, true, IMG_POINTCLOUD}, {3, true, IMG_POINTCLOUDAMP},
                        {8, true, IMG_GRAYSCALE}};
    for (const Row& r : rows) {
        const Bytes b = layoutP(r.code, 0, {0, 0, 0, 0, 0});
        DevConfig c;
        ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), r.cloud, c));
        EXPECT_EQ(c.imageType, r.type) << int(r.code) << " cloud " << r.cloud;
    }
}

TEST(DevConfigLayoutP, FrequencyFollowsHdrAndActiveIntegrationTimes) {
    struct Row {
        uint8_t hdr;
        std::initializer_list<uint8_t> codes;
        uint32_t freq;
    };
    // Integration times in the record: 1000, 500, 0, 0, 0.
    const Row rows[] = {
        {0, {0, 9, 9, 9, 9}, FREQ_24M}, {0, {1, 0, 0, 0, 0}, FREQ_12M},
        {0, {3, 0, 0, 0, 0}, FREQ_6M},  {0, {4, 0, 0, 0, 0}, FREQ_3M},
        {0, {7, 0, 0, 0, 0}, FREQ_3M},  {0, {8, 0, 0, 0, 0}, FREQ_1_5M},
        {2, {1, 9, 9, 9, 9}, FREQ_12M},  // spatial HDR uses the first code only
        {1, {1, 4, 9, 9, 9}, FREQ_3M},   // largest code among the two running times
        {1, {5, 1, 9, 9, 9}, FREQ_3M},  {1, {0, 0, 9, 9, 9}, FREQ_24M},
    };
    for (const Row& r : rows) {
        const Bytes b = layoutP(1, r.hdr, r.codes);
        DevConfig c;
        ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), false, c));
        EXPECT_EQ(c.modFreq, r.freq) << "hdr " << int(r.hdr) << " code " << int(*r.codes.begin());
    }

    Bytes idle = layoutP(1, 1, {3, 9, 9, 9, 9});
    std::fill(idle.begin() + 15, idle.begin() + 25, 0);  // no integration time runs
    DevConfig c;
    ASSERT_TRUE(decodeDevConfig(idle.data(), idle.size(), false, c));
    EXPECT_EQ(c.modFreq, FREQ_24M);
}

TEST(DevConfigLayoutP, BinningBits) {
    for (uint8_t bits : {0x00, 0x01, 0x02, 0x03, 0xFC}) {
        Bytes b = layoutP(1, 0, {0, 0, 0, 0, 0});
        b[38] = bits;
        DevConfig c;
        ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), false, c));
        EXPECT_EQ(c.binningH, (bits >> 1) & 1) << int(bits);
        EXPECT_EQ(c.binningV, bits & 1) << int(bits);
    }
}

Bytes layoutD(size_t size) {
    Bytes b(size, 0);
    putBytes(b, 0, {1, 2, 1, 0x01, 0x2C, 0x03, 0xE8, 0x01, 0xF4, 0x00, 0x64, 0x00, 0xC8, 0x5A});
    if (size > 25) {
        putBytes(b, 14, {0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x01, 0x00, 30, 2, 0x21});
    }
    if (size >= 28) putBytes(b, 25, {50, 1});
    return b;
}

TEST(DevConfigLayoutD, ShortRecordFromOlderCameras) {
    const Bytes b = layoutD(14);
    DevConfig c;
    c.maxFps = 99;
    ASSERT_EQ(devConfigLayout(b.size()), DevConfigLayout::D);
    ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), false, c));
    EXPECT_EQ(c.imageType, 1u);
    EXPECT_EQ(c.modFreq, 2u);
    EXPECT_EQ(c.hdrMode, 1u);
    EXPECT_EQ(c.minAmplitude, 300);
    EXPECT_EQ(c.intTime, (std::array<uint16_t, 5>{1000, 500, 100, 0, 0}));
    EXPECT_EQ(c.intTimeGs, 200);
    EXPECT_EQ(c.extraByte, 0x5A);
    EXPECT_EQ(c.recordVersion, 2);
    EXPECT_EQ(c.cfgWords, (std::array<uint16_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(c.maxFps, 0);
    EXPECT_EQ(c.binningH, 0);
    EXPECT_EQ(c.binningV, 0);
}

TEST(DevConfigLayoutD, LongerRecordsAddWordsRateAndBinning) {
    for (size_t size : {26u, 27u, 28u, 40u, 77u, 79u}) {
        const Bytes b = layoutD(size);
        DevConfig c;
        ASSERT_EQ(devConfigLayout(size), DevConfigLayout::D);
        ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), false, c)) << size;
        EXPECT_EQ(c.cfgWords, (std::array<uint16_t, 4>{1, 2, 3, 256})) << size;
        EXPECT_EQ(c.maxFps, 30) << size;
        EXPECT_EQ(c.layoutRev, 2) << size;
        EXPECT_EQ(c.binningH, 2) << size;
        EXPECT_EQ(c.binningV, 1) << size;
        EXPECT_EQ(c.maxFpsLimit, size >= 28 ? 50 : 0) << size;
        EXPECT_EQ(c.channel, size >= 28 ? 1 : 0) << size;
        EXPECT_EQ(c.recordVersion, 2) << size;
    }
}

TEST(DevConfigLayoutD, CloudFlagRaisesEveryTypeButGrayscale) {
    for (uint8_t type : {0, 1, 2, 5}) {
        Bytes b = layoutD(14);
        b[0] = type;
        DevConfig c;
        ASSERT_TRUE(decodeDevConfig(b.data(), b.size(), true, c));
        EXPECT_EQ(c.imageType, type == 2 ? 2u : type + 3u) << int(type);
    }
}

TEST(DevConfigLayouts, AnswersOfThirteenBytesOrLessAreRefused) {
    const Bytes b(13, 1);
    DevConfig c;
    c.maxFps = 42;
    EXPECT_FALSE(decodeDevConfig(b.data(), b.size(), false, c));
    EXPECT_FALSE(decodeDevConfig(b.data(), 0, false, c));
    EXPECT_FALSE(decodeDevConfig(nullptr, 78, false, c));
    EXPECT_EQ(c.maxFps, 42);
}

}  // namespace
