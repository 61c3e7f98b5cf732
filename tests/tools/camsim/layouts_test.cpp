// Byte layouts of the device information and configuration answers, both generations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ByteIo.h"
#include "CamsimConstants.h"
#include "InfoLayouts.h"

using namespace camsim;

namespace {

std::string textAt(const std::vector<uint8_t>& b, size_t offset, size_t field) {
    std::string s(reinterpret_cast<const char*>(b.data() + offset), field);
    return s.substr(0, s.find('\0'));
}

Identity sampleIdentity() {
    Identity id;
    id.serial = "XK150PLUS0123456789";
    id.firmware = "V2.5.3_20241101";
    id.boot = "BOOT_V9";
    id.ip = {192, 168, 3, 44};
    id.netmask = {255, 255, 0, 0};
    id.gateway = {192, 168, 3, 1};
    id.mac = {0x10, 0x22, 0x33, 0x44, 0x55, 0xAB};
    id.idWord1 = 0x1234;
    id.idWord2 = 0xBEEF;
    id.factoryFlags = 0x92;
    return id;
}

}  // namespace

TEST(DevInfoLayout, CurrentLayoutPlacesEveryFieldLittleEndian) {
    StreamDestination dest{{10, 0, 0, 7}, 7688};
    const auto b = encodeDevInfo(sampleIdentity(), dest, 3);
    ASSERT_EQ(b.size(), 125u);
    EXPECT_EQ(textAt(b, 7, 28), "XK150PLUS0123456789");
    EXPECT_EQ(textAt(b, 35, 18), "V2.5.3_20241101");
    EXPECT_EQ(textAt(b, 53, 18), "BOOT_V9");
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 71, b.begin() + 75),
              (std::vector<uint8_t>{192, 168, 3, 44}));
    EXPECT_EQ(b[75], 255);
    EXPECT_EQ(b[77], 0);
    EXPECT_EQ(b[82], 1);
    EXPECT_EQ(b[83], 0x10);
    EXPECT_EQ(b[88], 0xAB);
    EXPECT_EQ(getU16(&b[89], false), 0x1234);
    EXPECT_EQ(getU16(&b[91], false), 0xBEEF);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 93, b.begin() + 97),
              (std::vector<uint8_t>{10, 0, 0, 7}));
    EXPECT_EQ(getU16(&b[97], false), 7688);
    EXPECT_EQ(b[99], 3);
    EXPECT_EQ(b[102], 1);
    EXPECT_EQ(b[115], 0x92);
}

TEST(DevInfoLayout, OlderLayoutIsBigEndianWithReversedDestination) {
    StreamDestination dest{{10, 1, 2, 3}, 0x1E07};
    const auto b = encodeLegacyDevInfo(sampleIdentity(), dest, 2);
    ASSERT_EQ(b.size(), 100u);  // longer than 98: the extended fields count
    EXPECT_EQ(b[0], 192);
    EXPECT_EQ(b[4], 255);    // netmask at 4 (h = 12)
    EXPECT_EQ(b[8], 192);    // gateway at 8
    EXPECT_EQ(b[12], 0x10);  // mac at h
    EXPECT_EQ(textAt(b, 18, 18), "V2.5.3_20241101");
    EXPECT_EQ(textAt(b, 36, 28), "XK150PLUS0123456789");
    EXPECT_EQ(textAt(b, 64, 14), "BOOT_V9");
    EXPECT_EQ(getU16(&b[79], true), 0x1234);
    EXPECT_EQ(getU16(&b[81], true), 0xBEEF);
    EXPECT_EQ(b[91] & 0x07, 0x07);
    EXPECT_EQ(b[95], 10);  // reversed: the last byte is the first number
    EXPECT_EQ(b[92], 3);
    EXPECT_EQ(getU16(&b[96], true), 0x1E07);
    EXPECT_EQ(b[98], 2);
}

TEST(DevInfoLayout, LongTextsAreCutToTheirFields) {
    Identity id = sampleIdentity();
    id.serial = std::string(40, 'S');
    id.firmware = std::string(30, 'F');
    const auto b = encodeDevInfo(id, {}, 2);
    EXPECT_EQ(textAt(b, 7, 28), std::string(28, 'S'));
    EXPECT_EQ(textAt(b, 35, 18), std::string(18, 'F'));
    EXPECT_EQ(b[53], 'B');  // the boot text behind is untouched
}

TEST(DevConfigLayout, CurrentLayoutCarriesTheSettings) {
    AcquisitionConfig c;
    c.streamCode = 3;
    c.hdrMode = 1;
    c.freqCodes = {0, 1, 3, 7, 15};
    c.intTimes = {1000, 200, 30, 4, 2500};
    c.intTimeGs = 4400;
    c.minAmplitude = 321;
    c.channel = 9;
    c.binningH = true;
    c.binningV = false;
    c.maxFps = 25;
    c.vcselMode = 2;
    c.ptpDomain = 44;
    c.cutOn = true;
    c.cut = {11, 22, 33, 44};
    const auto b = encodeDevConfig(c);
    ASSERT_EQ(b.size(), 78u);
    EXPECT_EQ(b[8], 8);  // grayscale data code
    EXPECT_EQ(b[9], 1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(b[10 + i], c.freqCodes[size_t(i)]);
        EXPECT_EQ(getU16(&b[15 + 2 * i], false), c.intTimes[size_t(i)]);
    }
    EXPECT_EQ(getU16(&b[25], false), 4400);
    EXPECT_EQ(getU16(&b[35], false), 321);
    EXPECT_EQ(b[37], 9);
    EXPECT_EQ(b[38], 2);  // bit 1 horizontal, bit 0 vertical
    EXPECT_EQ(b[40], 50);
    EXPECT_EQ(b[41], 25);
    EXPECT_EQ(b[42], 2);
    EXPECT_EQ(b[44], 44);
    EXPECT_EQ(b[47], 1);
    EXPECT_EQ(getU16(&b[48], false), 11);
    EXPECT_EQ(getU16(&b[54], false), 44);
}

TEST(DevConfigLayout, DataCodesFollowTheStream) {
    AcquisitionConfig c;
    const std::pair<uint8_t, uint8_t> table[] = {{1, 1}, {2, 3}, {3, 8}};
    for (const auto& [stream, code] : table) {
        c.streamCode = stream;
        EXPECT_EQ(encodeDevConfig(c)[8], code) << int(stream);
    }
}

TEST(DevConfigLayout, OlderLayoutIsBigEndianAndReportsFrequencyEnum) {
    AcquisitionConfig c;
    c.streamCode = 2;
    c.freqCodes = {7, 7, 7, 7, 7};  // 3 MHz
    c.minAmplitude = 0x0102;
    c.intTimes = {0x0304, 0x0506, 0x0708, 0, 0};
    c.intTimeGs = 0x090A;
    c.maxFps = 30;
    c.binningH = true;
    c.binningV = true;
    c.channel = 5;
    const auto b = encodeLegacyDevConfig(c);
    ASSERT_EQ(b.size(), 28u);
    EXPECT_EQ(b[0], 1);  // amplitude in the SDK's numbering
    EXPECT_EQ(b[1], 3);  // FREQ_3M
    EXPECT_EQ(b[3], 0x01);
    EXPECT_EQ(b[4], 0x02);
    EXPECT_EQ(getU16(&b[5], true), 0x0304);
    EXPECT_EQ(getU16(&b[9], true), 0x0708);
    EXPECT_EQ(getU16(&b[11], true), 0x090A);
    EXPECT_EQ(b[22], 30);
    EXPECT_EQ(b[24], 0x11);
    EXPECT_EQ(b[25], 50);
    EXPECT_EQ(b[26], 5);
}

TEST(LensAndImuRecords, RoundTripThroughTheirWireForm) {
    Lens lens{201.5f, 202.25f, 158.0f, 121.0f, -0.2f, 0.05f, -0.001f, 0.002f, -0.003f};
    const auto bytes = encodeLens(lens);
    ASSERT_EQ(bytes.size(), 36u);
    EXPECT_FLOAT_EQ(getFloat(bytes.data()), 201.5f);      // fx first
    EXPECT_FLOAT_EQ(getFloat(bytes.data() + 8), 158.0f);  // then fy, cx
    const Lens back = decodeLens(bytes.data());
    EXPECT_EQ(back.k1, lens.k1);
    EXPECT_EQ(back.p2, lens.p2);

    ImuExtrinsicValues imu;
    imu.values = {0.5f, 0.5f, -0.5f, 0.5f, 1.0f, 2.0f, 3.0f};
    const auto imuBytes = encodeImuExtrinsic(imu);
    ASSERT_EQ(imuBytes.size(), 28u);
    EXPECT_EQ(decodeImuExtrinsic(imuBytes.data()).values, imu.values);
}
