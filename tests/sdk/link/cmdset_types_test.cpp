#include <gtest/gtest.h>

#include <string>

#include "link/CmdSet.h"
#include "link/Commnunication.h"
#include "mvsdk/MvTypes.h"

using namespace Movoda;

TEST(CmdStatusNames, EveryCode) {
    const char* expected[16] = {"ok",     "unsupport", "busy",   "reject", "Unknow", "Unknow",
                                "Unknow", "report",    "format", "data",   "Unknow", "Unknow",
                                "Unknow", "Unknow",    "Unknow", "timeout"};
    for (uint32_t code = 0; code < 16; ++code)
        EXPECT_STREQ(cmdStatusName(code), expected[code]) << code;
    EXPECT_STREQ(cmdStatusName(CMD_INVALID), "invalid");
    EXPECT_STREQ(cmdStatusName(1000), "Unknow");
}

TEST(CmdTimeouts, SendersTable) {
    const std::pair<uint8_t, uint32_t> table[] = {
        {0, 300},    {1, 300},    {4, 2000},   {5, 300},    {12, 1000},  {13, 300}, {18, 1000},
        {19, 300},   {23, 1000},  {31, 300},   {49, 500},   {52, 300},   {56, 300}, {152, 1000},
        {153, 1000}, {163, 3000}, {168, 3000}, {169, 3000}, {202, 1000}, {99, 1000}};
    for (const auto& [id, ms] : table) EXPECT_EQ(defaultTimeoutMs(id), ms) << int(id);
}

TEST(AddressChecks, Ipv4) {
    for (const char* good :
         {"192.168.0.101", "127.0.0.10", "0.0.0.0", "255.255.255.255", "10.1.02.3"}) {
        EXPECT_TRUE(isIpv4Address(good)) << good;
    }
    for (const char* bad :
         {"COM3", "256.1.1.1", "1.2.3", "1.2.3.4.5", "1.2.3.4 ", "", "a.b.c.d", "/dev/ttyACM0",
          "1.2.3.0001", "1..2.3", ".1.2.3", "300.0.0.1", "1.2.3.4."}) {
        EXPECT_FALSE(isIpv4Address(bad)) << bad;
    }
}

TEST(AddressChecks, SerialPortNames) {
    for (const char* good : {"COM3", "COM0", "/dev/ttyACM0", "/dev/ttyACM12", "MOC1"}) {
        EXPECT_TRUE(isSerialPortName(good)) << good;
    }
    for (const char* bad : {"", "COM 3", "/dev/ttyUSB0", "com3", "192.168.0.1x", "COM3/dev"}) {
        EXPECT_FALSE(isSerialPortName(bad)) << bad;
    }
    EXPECT_FALSE(isSerialPortName(std::string("COM3\0", 5)));
}

TEST(TypeNames, ExactTexts) {
    EXPECT_STREQ(hdrModeName(HDR_TAMPORAL), "HDR_TAMPORAL");
    EXPECT_STREQ(modulationFreqName(FREQ_24M), "FREQ_24M");
    EXPECT_STREQ(modulationFreqName(2), "FREQ_24M");
    EXPECT_STREQ(modulationFreqName(6), "FREQ_4_8M");
    EXPECT_STREQ(imageTypeName(IMG_POINTCLOUDAMP), "IMG_POINTCLOUDAMP");
    EXPECT_STREQ(devStateName(26), "ErrNoImuParamters");
    EXPECT_STREQ(devStateName(14), "Bootloader");
    EXPECT_STREQ(devStateName(DEV_ErrUnknowMax), "ErrUnknowMax");
    EXPECT_STREQ(sdkStateName(SDK_UdpOk), "UDP Ok");
    EXPECT_STREQ(sdkStateName(SDK_Connected), "Connected");
}

TEST(TypeNames, OutOfRangeValuesDoNotReadPastTables) {
    EXPECT_STREQ(imageTypeName(5), "Unknow");
    EXPECT_STREQ(modulationFreqName(7), "Unknow");
    EXPECT_STREQ(hdrModeName(3), "Unknow");
    EXPECT_STREQ(devStateName(28), "Unknow");
    EXPECT_STREQ(sdkStateName(6), "Unknow");
    EXPECT_STREQ(sdkStateName(0xFFFFFFFF), "Unknow");
}

TEST(TypeDefaults, LensAndTableSizes) {
    const LensParams lens;
    EXPECT_EQ(lens.fx, 170.0f);
    EXPECT_EQ(lens.fy, 170.0f);
    EXPECT_EQ(lens.cx, 160.0f);
    EXPECT_EQ(lens.cy, 120.0f);
    EXPECT_EQ(lens.k1 + lens.k2 + lens.k3 + lens.p1 + lens.p2, 0.0f);
    EXPECT_EQ(sizeof(LensParams), kLensParamsWireSize);
    EXPECT_EQ(sizeof(ImuExtrinsic), kImuExtrinsicWireSize);
    EXPECT_EQ(kDevStateNames.size(), 28u);
    EXPECT_EQ(std::string(kDevStateNames[27]), "ErrUnknowMax");
}
