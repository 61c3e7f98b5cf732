// Time texts of frames of both header versions and every time type. Runs with TZ=UTC so
// the PTP date texts are fixed.
#include <gtest/gtest.h>

#include <string>

#include "FramePathTestFrames.h"
#include "TimeStampText.h"

using namespace vantory::framepath;

namespace {

StampTexts build(const StampInput& in) {
    StampTexts texts;
    buildStampTexts(in, texts);
    return texts;
}

StampInput v2(std::uint8_t timeType, std::uint64_t seconds, std::uint32_t nanoseconds, std::uint8_t locked = 1) {
    StampInput in;
    in.version = 2;
    in.timeType = timeType;
    in.timeSec = seconds;
    in.timeNsec = nanoseconds;
    in.locked = locked;
    return in;
}

StampInput v3(std::uint8_t timeType, std::uint64_t stampMs, std::uint8_t mask = 0) {
    StampInput in;
    in.version = 3;
    in.timeType = timeType;
    in.subFrameMask = mask;
    in.subFrameMs.fill(stampMs);
    return in;
}

// 2023-11-14 22:13:20 UTC is 1700000000 s; PTP runs 37 s ahead.
constexpr std::uint64_t kPtpSeconds = 1700000000ull + 37;

}  // namespace

struct TimeTextCase {
    const char* name;
    StampInput input;
    const char* timeText;
};

class TimeTextTable : public ::testing::TestWithParam<TimeTextCase> {};

TEST_P(TimeTextTable, GivesTenCharacterTime) {
    const StampTexts texts = build(GetParam().input);
    EXPECT_STREQ(texts.timeText.data(), GetParam().timeText);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TimeTextTable,
    ::testing::Values(
        TimeTextCase{"TickSecondsModuloMillion", v2(0, 1234567, 89000000), "234567.089"},
        TimeTextCase{"TickPadsSmallSeconds", v2(0, 42, 5000000), "000042.005"},
        TimeTextCase{"GptpFormatsLikeTick", v2(3, 1999999, 999999999), "999999.999"},
        // Nanoseconds beyond one second cannot widen the text past ten characters.
        TimeTextCase{"OversizedNanosecondsStayThreeDigits", v2(0, 1, 4294967295u), "000001.294"},
        // "123456" in the seconds' six bytes, "7890" in the fraction.
        TimeTextCase{"GpsTakesTheBytesAsText", v2(1, 0x313233343536ull, 0x37383930u), "1234567890"},
        TimeTextCase{"GpsUnprintableBytesShowAsQuestionMarks", v2(1, 0x310000000036ull, 0x0A383930u), "1????6?890"},
        TimeTextCase{"PtpTimeTextIsMillisecondsOnly", v2(2, kPtpSeconds, 89000000), ".089"},
        TimeTextCase{"Version3TickFromSubFrameZero", v3(0, 1234567089ull), "234567.089"},
        TimeTextCase{"Version3PtpFromSubFrame", v3(2, kPtpSeconds * 1000 + 7), ".007"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeStampText, PtpDateAndFileTimeAreLocalCivilTime) {
    for (const StampInput& in : {v2(2, kPtpSeconds, 89000000), v3(2, kPtpSeconds * 1000 + 89)}) {
        const StampTexts texts = build(in);
        EXPECT_TRUE(texts.ptp);
        EXPECT_STREQ(texts.ptpDateText.data(), "23-11-14 22:13:20.089");
        EXPECT_STREQ(texts.fileTimeText.data(), "221320.089");
    }
    EXPECT_FALSE(build(v2(0, kPtpSeconds, 0)).ptp);
}

TEST(TimeStampText, PtpBeforeTheLeapOffsetDoesNotBreak) {
    const StampTexts texts = build(v2(2, 0, 0));
    EXPECT_STREQ(texts.ptpDateText.data(), "69-12-31 23:59:23.000");
}

TEST(TimeStampText, ReferenceSubFrameIsLowestOfFourLowBits) {
    EXPECT_EQ(referenceSubFrame(0x00), 0);
    EXPECT_EQ(referenceSubFrame(0x01), 0);
    EXPECT_EQ(referenceSubFrame(0x0C), 2);
    EXPECT_EQ(referenceSubFrame(0x08), 3);
    EXPECT_EQ(referenceSubFrame(0x10), 0);  // bit 4 does not choose
    StampInput in = v3(0, 0, 0x06);
    in.subFrameMs = {5000, 1234567089, 1234999999, 0, 0};
    EXPECT_STREQ(build(in).timeText.data(), "234567.089");
}

class SubFrameLineTest : public ::testing::Test {
protected:
    StampInput hdrFrame(std::uint8_t mask) {
        StampInput in = v3(0, 0, mask);
        in.dataFlags = 0x07;
        in.dataKind = 0;
        in.frameId = 77;
        in.subFrameMs = {1000, 1033, 1066, 1999, 3000};
        in.alignFirst = 5;
        in.alignSecond = 0x05;
        return in;
    }
};

TEST_F(SubFrameLineTest, ListsFurtherSubFramesWithIdAndAlignment) {
    const StampTexts texts = build(hdrFrame(0x07));
    EXPECT_EQ(texts.subFrameUpdate, LineUpdate::Set);
    EXPECT_STREQ(texts.subFrameLine.data(), "T1:033 T2:066  Id:77 al:5:00000101");
}

TEST_F(SubFrameLineTest, DifferencesAreTakenFromTheReferenceModuloThousand) {
    StampInput in = hdrFrame(0x1A);  // reference 1, further 3 and 4
    in.distanceScale = 4;
    in.hasDistanceScale = true;
    in.alignSecond = 0xFF;
    EXPECT_STREQ(build(in).subFrameLine.data(), "T3:966 T4:967  Id:77 xmm: 4 al:5:11111111");
    in.subFrameMs[3] = 1032;  // one millisecond before the reference
    EXPECT_STREQ(build(in).subFrameLine.data(), "T3:999 T4:967  Id:77 xmm: 4 al:5:11111111");
}

TEST_F(SubFrameLineTest, KeepsOrClearsByFlagKindAndMask) {
    EXPECT_EQ(build(hdrFrame(0x01)).subFrameUpdate, LineUpdate::Keep);
    StampInput noFlag = hdrFrame(0x07);
    noFlag.dataFlags = 0x03;
    EXPECT_EQ(build(noFlag).subFrameUpdate, LineUpdate::Clear);
    StampInput grayscale = hdrFrame(0x07);
    grayscale.dataKind = 3;
    EXPECT_EQ(build(grayscale).subFrameUpdate, LineUpdate::Clear);
    StampInput old = hdrFrame(0x07);
    old.version = 2;
    const StampTexts texts = build(old);
    EXPECT_EQ(texts.subFrameUpdate, LineUpdate::Clear);
    EXPECT_STREQ(texts.subFrameLine.data(), "");
}

TEST_F(SubFrameLineTest, LongestLineFitsItsBuffer) {
    StampInput in = hdrFrame(0x1F);
    in.frameId = ~0ull;
    in.hasDistanceScale = true;
    in.distanceScale = 255;
    in.alignFirst = 255;
    const StampTexts texts = build(in);
    EXPECT_STREQ(texts.subFrameLine.data(),
                 "T1:033 T2:066 T3:999 T4:000  Id:18446744073709551615 xmm: 255 al:255:00000101");
}

TEST(TimeStampText, PtpOffsetLineOnlyForLockedPtpOfVersion3) {
    StampInput in = v3(2, kPtpSeconds * 1000);
    in.locked = 1;
    in.ptpOffsetUs = 250;
    StampTexts texts = build(in);
    EXPECT_TRUE(texts.ptpLineUpdated);
    EXPECT_STREQ(texts.ptpLine.data(), "PTP offset: 250 us");
    in.locked = 0;
    texts = build(in);
    EXPECT_TRUE(texts.ptpLineUpdated);
    EXPECT_STREQ(texts.ptpLine.data(), "");
    EXPECT_FALSE(build(v2(2, kPtpSeconds, 0)).ptpLineUpdated);
}

TEST(TimeStampText, InputIsReadFromTheInformationBlock) {
    vantory_test::PacketPlan plan = framepath_test::uniformPlan(4, 2, 1000, 100);
    plan.dataFlags = 0x07;
    plan.timeSource = 2;
    plan.timeLocked = 1;
    plan.distanceScale = 2;
    plan.frameNumber = 321;
    framepath_test::BlockExtras extras;
    extras.subFrameMask = 0x06;
    extras.subFrameMs = {1, 2002, 3003, 4004, 5005};
    extras.ptpOffsetUs = 99;
    extras.alignFirst = 3;
    extras.alignSecond = 0x80;
    const auto frame = framepath_test::buildFrame(plan, extras);
    ASSERT_TRUE(frame);
    const StampInput in = stampInputOf(*frame);
    EXPECT_EQ(in.version, 3);
    EXPECT_EQ(in.timeType, 2);
    EXPECT_EQ(in.locked, 1);
    EXPECT_EQ(in.subFrameMask, 0x06);
    EXPECT_EQ(in.subFrameMs[2], 3003u);
    EXPECT_EQ(in.ptpOffsetUs, 99u);
    EXPECT_TRUE(in.hasDistanceScale);
    EXPECT_EQ(in.distanceScale, 2);
    EXPECT_EQ(in.alignFirst, 3);
    EXPECT_EQ(in.alignSecond, 0x80);
    EXPECT_EQ(in.frameId, 321u);
    EXPECT_EQ(in.dataFlags, 0x07);
}
