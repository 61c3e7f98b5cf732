#include <gtest/gtest.h>

#include <vector>

#include "link/Packet.h"

using namespace Movoda::packet;
using Bytes = std::vector<uint8_t>;

TEST(BuildRequest, EmptyPayloadBigEndianIsFifteenBytes) {
    EXPECT_EQ(buildRequest(4, nullptr, 0, true),
              (Bytes{0x7E, 0xFF, 0xAA, 0x55, 0x00, 0x00, 0x00, 0x03, 0x04, 0x00, 0x01, 0xFF, 0x7E,
                     0x55, 0xAA}));
}

TEST(BuildRequest, EmptyPayloadLittleEndianIsFifteenBytes) {
    EXPECT_EQ(buildRequest(0, nullptr, 0, false),
              (Bytes{0x7E, 0xFF, 0xAA, 0x55, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0x7E,
                     0x55, 0xAA}));
}

TEST(BuildRequest, PayloadLandsBetweenIdAndTrailer) {
    const Bytes payload{'M', 'O', 'V', 'O', 'D', 'A'};
    const Bytes packet = buildRequest(13, payload.data(), payload.size(), true);
    ASSERT_EQ(packet.size(), payload.size() + kMinPacketSize);
    EXPECT_EQ(readU32(packet.data() + 4, true), payload.size() + 3);
    EXPECT_EQ(packet[8], 13);
    EXPECT_EQ(Bytes(packet.begin() + 9, packet.begin() + 15), payload);
    EXPECT_EQ(packet[15], 0x00);
    EXPECT_EQ(packet[16], 0x01);
}

TEST(BuildRequest, LengthAboveOneByteInBothOrders) {
    const Bytes payload(0x1234, 0xAB);
    const Bytes be = buildRequest(49, payload.data(), payload.size(), true);
    const Bytes le = buildRequest(49, payload.data(), payload.size(), false);
    EXPECT_EQ(Bytes(be.begin() + 4, be.begin() + 8), (Bytes{0x00, 0x00, 0x12, 0x37}));
    EXPECT_EQ(Bytes(le.begin() + 4, le.begin() + 8), (Bytes{0x37, 0x12, 0x00, 0x00}));
}

TEST(BuildPacket, TrailerOfThreeBytes) {
    const uint8_t payload[] = {9, 8, 7};
    const uint8_t trailer[] = {0x02, 0x05, 0x03};
    const Bytes packet = buildPacket(252, payload, 3, trailer, 3, false);
    EXPECT_EQ(packet.size(), 12u + 1 + 3 + 3);
    EXPECT_EQ(readU32(packet.data() + 4, false), 7u);
    const auto inner = unframe(packet.data(), packet.size(), false);
    ASSERT_TRUE(inner);
    EXPECT_EQ(*inner, (Bytes{252, 9, 8, 7, 0x02, 0x05, 0x03}));
}

TEST(RewriteLength, SwitchesByteOrderInPlace) {
    const uint8_t payload[] = {1, 2};
    Bytes packet = buildRequest(0, payload, 2, true);
    const Bytes original = packet;
    rewriteLength(packet, false);
    EXPECT_EQ(readU32(packet.data() + 4, false), 5u);
    EXPECT_EQ(packet, buildRequest(0, payload, 2, false));
    rewriteLength(packet, true);
    EXPECT_EQ(packet, original);
}

// ---- splitInner: the trailer table ----

struct SplitCase {
    const char* name;
    Bytes inner;
    bool valid;
    uint8_t status;
    uint8_t devState;
    Bytes payload;
};

class SplitInnerTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitInnerTest, Splits) {
    const SplitCase& c = GetParam();
    const auto split = splitInner(c.inner.data(), c.inner.size());
    ASSERT_EQ(split.has_value(), c.valid);
    if (!c.valid) return;
    EXPECT_EQ(split->cmdId, c.inner[0]);
    EXPECT_EQ(split->status, c.status);
    EXPECT_EQ(split->devState, c.devState);
    EXPECT_EQ(split->payload, c.payload);
}

INSTANTIATE_TEST_SUITE_P(
    TrailerTable, SplitInnerTest,
    ::testing::Values(
        SplitCase{"type1_packed", {5, 0xAA, 0xBB, 0x35, 0x01}, true, 5, 3, {0xAA, 0xBB}},
        SplitCase{"type1_reject", {5, 0x43, 0x01}, true, 3, 4, {}},
        SplitCase{"type2_packed", {7, 0x11, 0xF2, 0x02}, true, 2, 15, {0x11}},
        SplitCase{"type3_split_busy", {8, 0x44, 0x02, 0x09, 0x03}, true, 2, 9, {0x44}},
        SplitCase{"type3_state_clamped", {8, 0x02, 40, 0x03}, true, 2, 27, {}},
        SplitCase{"type3_state_255_clamped", {8, 0x00, 255, 0x03}, true, 0, 27, {}},
        SplitCase{"type3_status_byte_whole", {8, 0x1F, 0, 0x03}, true, 0x1F, 0, {}},
        SplitCase{"other_type_empty", {9, 1, 2, 3, 0x35, 0x07}, true, 0, 0, {}},
        SplitCase{"type0_empty", {9, 0x00}, true, 0, 0, {}},
        SplitCase{"minimal_request", {0, 0x00, 0x01}, true, 0, 0, {}},
        SplitCase{"type1_too_short", {0x01, 0x01}, false, 0, 0, {}},
        SplitCase{"type3_too_short", {0x05, 0x03, 0x03}, false, 0, 0, {}},
        SplitCase{"empty", {}, false, 0, 0, {}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// ---- unframe: whole-packet checks ----

TEST(Unframe, AcceptsExactlyFifteenBytes) {
    const Bytes packet = buildRequest(3, nullptr, 0, false);
    const auto inner = unframe(packet.data(), packet.size(), false);
    ASSERT_TRUE(inner);
    EXPECT_EQ(*inner, (Bytes{3, 0x00, 0x01}));
}

TEST(Unframe, RejectsBadBlocks) {
    const Bytes good = buildRequest(3, nullptr, 0, true);
    EXPECT_FALSE(unframe(good.data(), 14, true)) << "too short";
    EXPECT_FALSE(unframe(good.data(), good.size(), false)) << "wrong byte order";
    Bytes badStart = good;
    badStart[0] = 0x7F;
    EXPECT_FALSE(unframe(badStart.data(), badStart.size(), true));
    Bytes badEnd = good;
    badEnd.back() = 0xAB;
    EXPECT_FALSE(unframe(badEnd.data(), badEnd.size(), true));
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(unframe(longer.data(), longer.size(), true)) << "length does not match size";
    EXPECT_FALSE(unframe(nullptr, 20, true));
}

TEST(Unframe, FifteenHundredByteBlockWithLength1488) {
    const Bytes payload(1485, 0x5A);
    const Bytes packet = buildRequest(202, payload.data(), payload.size(), true);
    ASSERT_EQ(packet.size(), 1500u);
    EXPECT_EQ(readU32(packet.data() + 4, true), 1488u);
    const auto inner = unframe(packet.data(), packet.size(), true);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->size(), 1488u);
}
