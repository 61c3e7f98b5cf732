// The camera's answers read back with the SDK's own decoders: the two sides are written
// independently, so a layout slip on either shows here.
#include <gtest/gtest.h>

#include "InfoLayouts.h"
#include "facade/CalibrationCodec.h"
#include "facade/DevConfigCodec.h"
#include "facade/DevInfoCodec.h"

using namespace camsim;

namespace {

Identity identity() {
    Identity id;
    id.serial = "MK150SUPRA24110007";
    id.ip = {10, 1, 2, 3};
    id.netmask = {255, 255, 252, 0};
    id.gateway = {10, 1, 0, 1};
    id.idWord1 = 2411;
    id.idWord2 = 77;
    return id;
}

AcquisitionConfig config() {
    AcquisitionConfig c;
    c.streamCode = 2;
    c.hdrMode = 1;
    c.freqCodes = {1, 3, 7, 0, 0};
    c.intTimes = {1500, 400, 100, 0, 0};
    c.intTimeGs = 2000;
    c.minAmplitude = 45;
    c.maxFps = 33;
    c.binningH = true;
    c.channel = 12;
    c.vcselMode = 1;
    c.ptpDomain = 5;
    c.cutOn = true;
    c.cut = {1, 2, 3, 4};
    return c;
}

}  // namespace

TEST(CodecCrossCheck, DeviceInformationInBothLayouts) {
    const StreamDestination dest{{192, 168, 1, 50}, 7688};
    for (bool legacy : {false, true}) {
        const Identity id = identity();
        const auto bytes = legacy ? encodeLegacyDevInfo(id, dest, 2) : encodeDevInfo(id, dest, 2);
        Movoda::DevInfo info;
        ASSERT_TRUE(Movoda::facade::decodeDevInfo(bytes.data(), bytes.size(), info)) << legacy;
        EXPECT_EQ(info.sn, id.serial);
        EXPECT_EQ(info.fwVersion, id.firmware);
        EXPECT_EQ(info.bootVersion, id.boot);
        EXPECT_EQ(info.ip, id.ip);
        EXPECT_EQ(info.netmask, id.netmask);
        EXPECT_EQ(info.gateway, id.gateway);
        EXPECT_EQ(info.mac, id.mac);
        EXPECT_EQ(info.idWord1, 2411);
        EXPECT_EQ(info.idWord2, 77);
        EXPECT_EQ(info.idText, "2411 77");
        EXPECT_EQ(info.isCalibrated, (std::array<uint8_t, 3>{1, 1, 1}));
        EXPECT_EQ(info.udpDestIp, dest.ip);
        EXPECT_EQ(info.udpDestPort, 7688);
        EXPECT_EQ(info.statusA, 2);
        EXPECT_EQ(info.factoryFlags, legacy ? 0 : id.factoryFlags);
    }
}

TEST(CodecCrossCheck, CurrentConfigurationLayout) {
    const AcquisitionConfig c = config();
    const auto bytes = encodeDevConfig(c);
    Movoda::DevConfig d;
    ASSERT_TRUE(Movoda::facade::decodeDevConfig(bytes.data(), bytes.size(), false, d));
    EXPECT_EQ(d.imageType, 1u);
    EXPECT_EQ(d.hdrMode, 1u);
    EXPECT_EQ(d.modFreq, 3u);  // temporal HDR: the largest code in use (7) is 3 MHz
    EXPECT_EQ(d.intTime, c.intTimes);
    EXPECT_EQ(d.intTimeGs, 2000);
    EXPECT_EQ(d.minAmplitude, 45);
    EXPECT_EQ(d.maxFps, 33);
    EXPECT_EQ(d.maxFpsLimit, 50);
    EXPECT_EQ(d.binningH, 1);
    EXPECT_EQ(d.binningV, 0);
    EXPECT_EQ(d.channel, 12);
    EXPECT_EQ(d.vcselMode, 1);
    EXPECT_EQ(d.ptpDomain, 5);
    EXPECT_EQ(d.recordVersion, 3);
    EXPECT_EQ(d.freqCode, c.freqCodes);
    EXPECT_EQ(d.cutOn, 1);
    EXPECT_EQ(d.cutDist1, 4);
}

TEST(CodecCrossCheck, OlderConfigurationLayout) {
    const AcquisitionConfig c = config();
    const auto bytes = encodeLegacyDevConfig(c);
    Movoda::DevConfig d;
    ASSERT_TRUE(Movoda::facade::decodeDevConfig(bytes.data(), bytes.size(), false, d));
    EXPECT_EQ(d.imageType, 1u);
    EXPECT_EQ(d.modFreq, 0u);  // code 1: 12 MHz
    EXPECT_EQ(d.minAmplitude, 45);
    EXPECT_EQ(d.intTime[2], 100);
    EXPECT_EQ(d.intTimeGs, 2000);
    EXPECT_EQ(d.maxFps, 33);
    EXPECT_EQ(d.binningH, 1);
    EXPECT_EQ(d.maxFpsLimit, 50);
    EXPECT_EQ(d.channel, 12);
    EXPECT_EQ(d.recordVersion, 2);
}

TEST(CodecCrossCheck, LensAndImuRecords) {
    Lens lens;
    lens.k3 = 0.004f;
    const auto bytes = encodeLens(lens);
    const auto decoded = Movoda::facade::decodeLensParams(bytes.data(), bytes.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->fx, lens.fx);
    EXPECT_EQ(decoded->cy, lens.cy);
    EXPECT_EQ(decoded->k3, lens.k3);
    EXPECT_EQ(decoded->p2, lens.p2);
    const auto imu = Movoda::facade::decodeImuExtrinsic(encodeImuExtrinsic({}).data(), 28);
    EXPECT_TRUE(imu);
}
