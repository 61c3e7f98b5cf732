#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "facade/DevInfoCodec.h"

using namespace Movoda;
using namespace Movoda::facade;
using Bytes = std::vector<uint8_t>;

namespace {

void putText(Bytes& b, size_t offset, const std::string& text) {
    std::memcpy(b.data() + offset, text.data(), text.size());
}

void putBytes(Bytes& b, size_t offset, std::initializer_list<uint8_t> values) {
    std::copy(values.begin(), values.end(), b.begin() + offset);
}

// A record whose every field holds a value no layout would produce, to see what is kept.
DevInfo sentinelInfo() {
    DevInfo info;
    info.netmask = {9, 9, 9, 9};
    info.gateway = {8, 8, 8, 8};
    info.isCalibrated = {7, 7, 7};
    info.udpDestIp = {6, 6, 6, 6};
    info.udpDestPort = 66;
    info.statusA = 55;
    info.factoryFlags = 44;
    return info;
}

TEST(DevInfoLayoutA, EveryFieldAtItsOffset) {
    Bytes b(125, 0);
    putText(b, 0, "ignored");
    putText(b, 7, "K150SUPRA-0123456789ABCDEFGH");  // fills all 28 bytes, no terminator
    putText(b, 35, "V1.2.3");
    putText(b, 53, "BOOT0.9");
    putBytes(b, 71, {192, 168, 1, 80});
    putBytes(b, 75, {255, 255, 255, 0});
    putBytes(b, 79, {192, 168, 1, 1});
    putBytes(b, 83, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
    putBytes(b, 89, {0x34, 0x12, 0x78, 0x56});
    putBytes(b, 93, {192, 168, 1, 5});
    putBytes(b, 97, {0x07, 0x1E});
    b[99] = 0x42;
    b[100] = b[101] = 0xEE;
    b[102] = 1;
    b[115] = 0b10110010;
    b[124] = 0xEE;

    DevInfo info = sentinelInfo();
    ASSERT_EQ(devInfoLayout(b.size()), DevInfoLayout::A);
    ASSERT_TRUE(decodeDevInfo(b.data(), b.size(), info));
    EXPECT_EQ(info.sn, "K150SUPRA-0123456789ABCDEFGH");
    EXPECT_EQ(info.fwVersion, "V1.2.3");
    EXPECT_EQ(info.bootVersion, "BOOT0.9");
    EXPECT_EQ(info.ip, (std::array<uint8_t, 4>{192, 168, 1, 80}));
    EXPECT_EQ(info.netmask, (std::array<uint8_t, 4>{255, 255, 255, 0}));
    EXPECT_EQ(info.gateway, (std::array<uint8_t, 4>{192, 168, 1, 1}));
    EXPECT_EQ(info.mac, (std::array<uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(info.idWord1, 0x1234);
    EXPECT_EQ(info.idWord2, 0x5678);
    EXPECT_EQ(info.idText, "4660 22136");
    EXPECT_EQ(info.udpDestIp, (std::array<uint8_t, 4>{192, 168, 1, 5}));
    EXPECT_EQ(info.udpDestPort, 7687);
    EXPECT_EQ(info.statusA, 0x42);
    EXPECT_EQ(info.isCalibrated, (std::array<uint8_t, 3>{1, 1, 1}));
    EXPECT_EQ(info.factoryFlags, 0b10110010);
}

TEST(DevInfoLayoutB, ShortBlockKeepsMaskAndGateway) {
    Bytes b(83, 0);
    putBytes(b, 0, {10, 0, 0, 7});
    putBytes(b, 4, {1, 2, 3, 4, 5, 6});  // mac right after the address
    putText(b, 10, "FW-OLD");
    putText(b, 28, "R300LITE-01");
    putText(b, 56, "BL01234567890123");  // 16 characters: only 14 belong to the field
    putBytes(b, 71, {0x00, 0x05, 0x01, 0x00});
    DevInfo info = sentinelInfo();
    ASSERT_TRUE(decodeDevInfo(b.data(), b.size(), info));
    EXPECT_EQ(info.ip, (std::array<uint8_t, 4>{10, 0, 0, 7}));
    EXPECT_EQ(info.netmask, (std::array<uint8_t, 4>{9, 9, 9, 9}));
    EXPECT_EQ(info.gateway, (std::array<uint8_t, 4>{8, 8, 8, 8}));
    EXPECT_EQ(info.mac, (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(info.fwVersion, "FW-OLD");
    EXPECT_EQ(info.sn, "R300LITE-01");
    EXPECT_EQ(info.bootVersion, "BL012345678901");
    EXPECT_EQ(info.idText, "5 256");
    EXPECT_EQ(info.isCalibrated, (std::array<uint8_t, 3>{7, 7, 7}));
    EXPECT_EQ(info.factoryFlags, 0);
    EXPECT_EQ(info.udpDestPort, 66);
}

// Older blocks of 84 bytes and more: header of 12 bytes with mask and gateway.
struct LongBlockCase {
    size_t size;
    std::array<uint8_t, 3> calibrated;
};

class DevInfoLongB : public ::testing::TestWithParam<LongBlockCase> {};

TEST_P(DevInfoLongB, FieldsAfterTwelveByteHeader) {
    const LongBlockCase c = GetParam();
    Bytes b(c.size, 0);
    putBytes(b, 0, {172, 16, 0, 9, 255, 255, 0, 0, 172, 16, 0, 1});
    putBytes(b, 12, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6});
    putText(b, 18, "V0.7");
    putText(b, 36, "K75ANY");
    putText(b, 64, "B2");
    putBytes(b, 79, {0x12, 0x34, 0x00, 0x02});
    for (size_t i = 87; i < 90 && i < b.size(); ++i) b[i] = 1;
    DevInfo info = sentinelInfo();
    ASSERT_TRUE(decodeDevInfo(b.data(), b.size(), info)) << c.size;
    EXPECT_EQ(info.netmask, (std::array<uint8_t, 4>{255, 255, 0, 0}));
    EXPECT_EQ(info.gateway, (std::array<uint8_t, 4>{172, 16, 0, 1}));
    EXPECT_EQ(info.mac, (std::array<uint8_t, 6>{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6}));
    EXPECT_EQ(info.fwVersion, "V0.7");
    EXPECT_EQ(info.sn, "K75ANY");
    EXPECT_EQ(info.bootVersion, "B2");
    EXPECT_EQ(info.idText, "4660 2");
    EXPECT_EQ(info.isCalibrated, c.calibrated) << c.size;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DevInfoLongB,
    ::testing::Values(LongBlockCase{84, {7, 7, 7}}, LongBlockCase{85, {7, 7, 7}},
                      LongBlockCase{88, {7, 7, 7}}, LongBlockCase{89, {1, 1, 0}},
                      LongBlockCase{90, {1, 1, 1}}, LongBlockCase{98, {1, 1, 1}}));

TEST(DevInfoLayoutB, ExtendedBlockCarriesStreamDestination) {
    for (size_t size : {99u, 124u, 126u, 200u}) {
        Bytes b(size, 0);
        putBytes(b, 0, {172, 16, 0, 9});
        b[91] = 0b101;
        putBytes(b, 92, {5, 1, 168, 192});  // address stored last number first
        putBytes(b, 96, {0x1E, 0x08});
        b[98] = 3;
        DevInfo info = sentinelInfo();
        ASSERT_TRUE(decodeDevInfo(b.data(), b.size(), info)) << size;
        EXPECT_EQ(info.isCalibrated, (std::array<uint8_t, 3>{1, 0, 1})) << size;
        EXPECT_EQ(info.udpDestIp, (std::array<uint8_t, 4>{192, 168, 1, 5})) << size;
        EXPECT_EQ(info.udpDestPort, 7688) << size;
        EXPECT_EQ(info.statusA, 3) << size;
        EXPECT_EQ(info.factoryFlags, 0) << size;
    }
}

TEST(DevInfoLayouts, ShortAnswersAreRefusedAndLeaveTheRecord) {
    for (size_t size : {0u, 60u, 79u}) {
        Bytes b(size, 0x31);
        DevInfo info = sentinelInfo();
        info.fwVersion = "before";
        EXPECT_FALSE(decodeDevInfo(b.data(), b.size(), info)) << size;
        EXPECT_EQ(info.fwVersion, "before");
        EXPECT_EQ(info.netmask, (std::array<uint8_t, 4>{9, 9, 9, 9}));
    }
    DevInfo info;
    EXPECT_FALSE(decodeDevInfo(nullptr, 125, info));
    EXPECT_EQ(devInfoLayout(80), DevInfoLayout::B);
    EXPECT_EQ(devInfoLayout(124), DevInfoLayout::B);
    EXPECT_EQ(devInfoLayout(126), DevInfoLayout::B);
}

}  // namespace
