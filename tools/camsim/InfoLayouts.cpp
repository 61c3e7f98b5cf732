#include "InfoLayouts.h"

#include "ByteIo.h"
#include "CamsimConstants.h"

namespace camsim {
namespace {

constexpr bool kLittle = false;
constexpr bool kBig = true;

// Current device information layout.
namespace infoA {
constexpr size_t kSerial = 7, kSerialSize = 28;
constexpr size_t kFirmware = 35, kFirmwareSize = 18;
constexpr size_t kBoot = 53, kBootSize = 18;
constexpr size_t kIp = 71, kMask = 75, kGateway = 79, kMac = 83;
constexpr size_t kId1 = 89, kId2 = 91, kDestIp = 93, kDestPort = 97, kStatus = 99;
constexpr size_t kCalibrated = 102, kFactoryFlags = 115;
}  // namespace infoA

// Older device information layout (h = 12, longer than 98 bytes).
namespace infoB {
constexpr size_t kIp = 0, kMask = 4, kGateway = 8, kMac = 12;
constexpr size_t kFirmware = 18, kFirmwareSize = 18;
constexpr size_t kSerial = 36, kSerialSize = 28;
constexpr size_t kBoot = 64, kBootSize = 14;
constexpr size_t kId1 = 79, kId2 = 81;
constexpr size_t kCalibratedBytes = 87, kCalibratedBits = 91;
constexpr size_t kDestIpReversed = 92, kDestPort = 96, kStatus = 98;
}  // namespace infoB

// Current configuration layout.
namespace cfgP {
constexpr size_t kDevByte = 7, kDataCode = 8, kHdr = 9, kFreqCodes = 10, kIntTimes = 15;
constexpr size_t kIntTimeGs = 25, kCfgWords = 27, kMinAmplitude = 35, kChannel = 37;
constexpr size_t kBinning = 38, kMaxFpsLimit = 40, kMaxFps = 41, kVcsel = 42, kPtp = 44;
constexpr size_t kCutOn = 47, kCut = 48;
}  // namespace cfgP

void putArray(uint8_t* at, const uint8_t* src, size_t n) {
    for (size_t i = 0; i < n; ++i) at[i] = src[i];
}

}  // namespace

uint8_t dataCodeOfStream(uint8_t streamCode) {
    switch (streamCode) {
        case 1:
            return 1;
        case 3:
            return 8;
        default:
            return 3;
    }
}

uint8_t reportedModulationFreq(const AcquisitionConfig& c) {
    return modulationFreqOfCode(c.freqCodes[0]);
}

std::vector<uint8_t> encodeDevInfo(const Identity& id, const StreamDestination& dest,
                                   uint8_t devState) {
    using namespace infoA;
    std::vector<uint8_t> out(kDevInfoSize, 0);
    uint8_t* p = out.data();
    putText(p + kSerial, kSerialSize, id.serial);
    putText(p + kFirmware, kFirmwareSize, id.firmware);
    putText(p + kBoot, kBootSize, id.boot);
    putArray(p + kIp, id.ip.data(), 4);
    putArray(p + kMask, id.netmask.data(), 4);
    putArray(p + kGateway, id.gateway.data(), 4);
    putArray(p + kMac, id.mac.data(), 6);
    putU16(p + kId1, id.idWord1, kLittle);
    putU16(p + kId2, id.idWord2, kLittle);
    putArray(p + kDestIp, dest.ip.data(), 4);
    putU16(p + kDestPort, dest.port, kLittle);
    p[kStatus] = devState;
    p[kCalibrated] = id.calibrated;
    p[kFactoryFlags] = id.factoryFlags;
    return out;
}

std::vector<uint8_t> encodeLegacyDevInfo(const Identity& id, const StreamDestination& dest,
                                         uint8_t devState) {
    using namespace infoB;
    std::vector<uint8_t> out(kLegacyDevInfoSize, 0);
    uint8_t* p = out.data();
    putArray(p + kIp, id.ip.data(), 4);
    putArray(p + kMask, id.netmask.data(), 4);
    putArray(p + kGateway, id.gateway.data(), 4);
    putArray(p + kMac, id.mac.data(), 6);
    putText(p + kFirmware, kFirmwareSize, id.firmware);
    putText(p + kSerial, kSerialSize, id.serial);
    putText(p + kBoot, kBootSize, id.boot);
    putU16(p + kId1, id.idWord1, kBig);
    putU16(p + kId2, id.idWord2, kBig);
    const uint8_t flag = id.calibrated ? 1 : 0;
    p[kCalibratedBytes] = p[kCalibratedBytes + 1] = p[kCalibratedBytes + 2] = flag;
    p[kCalibratedBits] = flag ? 0x07 : 0x00;
    for (int i = 0; i < 4; ++i) p[kDestIpReversed + i] = dest.ip[3 - i];
    putU16(p + kDestPort, dest.port, kBig);
    p[kStatus] = devState;
    return out;
}

std::vector<uint8_t> encodeDevConfig(const AcquisitionConfig& c, uint8_t fpsLimit) {
    using namespace cfgP;
    std::vector<uint8_t> out(kDevConfigSize, 0);
    uint8_t* p = out.data();
    p[kDevByte] = 1;
    p[kDataCode] = dataCodeOfStream(c.streamCode);
    p[kHdr] = c.hdrMode;
    for (int i = 0; i < 5; ++i) {
        p[kFreqCodes + i] = c.freqCodes[i];
        putU16(p + kIntTimes + 2 * i, c.intTimes[i], kLittle);
    }
    putU16(p + kIntTimeGs, c.intTimeGs, kLittle);
    // Further words, shown by the viewer only: integration level, maximum light energy,
    // distance offset, temperature coefficient (low 16 bits).
    putU16(p + kCfgWords, c.integrationLevel, kLittle);
    putU16(p + kCfgWords + 2, c.maxLightEnergy, kLittle);
    putU16(p + kCfgWords + 4, c.offsetMm, kLittle);
    putU16(p + kCfgWords + 6, uint16_t(c.tempCoefficient), kLittle);
    putU16(p + kMinAmplitude, c.minAmplitude, kLittle);
    p[kChannel] = c.channel;
    p[kBinning] = uint8_t((c.binningH ? 2 : 0) | (c.binningV ? 1 : 0));
    p[kMaxFpsLimit] = fpsLimit;
    p[kMaxFps] = c.maxFps;
    p[kVcsel] = c.vcselMode;
    p[kPtp] = c.ptpDomain;
    p[kCutOn] = c.cutOn ? 1 : 0;
    for (int i = 0; i < 4; ++i) putU16(p + kCut + 2 * i, c.cut[i], kLittle);
    return out;
}

std::vector<uint8_t> encodeLegacyDevConfig(const AcquisitionConfig& c, uint8_t fpsLimit) {
    std::vector<uint8_t> out(kLegacyDevConfigSize, 0);
    uint8_t* p = out.data();
    p[0] = uint8_t(c.streamCode == 3 ? 2 : c.streamCode == 2 ? 1 : 0);
    p[1] = reportedModulationFreq(c);
    p[2] = c.hdrMode;
    putU16(p + 3, c.minAmplitude, kBig);
    for (int i = 0; i < 3; ++i) putU16(p + 5 + 2 * i, c.intTimes[i], kBig);
    putU16(p + 11, c.intTimeGs, kBig);
    p[13] = c.vcselMode;
    putU16(p + 14, c.integrationLevel, kBig);
    putU16(p + 16, c.maxLightEnergy, kBig);
    putU16(p + 18, c.offsetMm, kBig);
    putU16(p + 20, uint16_t(c.tempCoefficient), kBig);
    p[22] = c.maxFps;
    p[23] = 2;
    p[24] = uint8_t((c.binningH ? 0x10 : 0) | (c.binningV ? 0x01 : 0));
    p[25] = fpsLimit;
    p[26] = c.channel;
    return out;
}

std::vector<uint8_t> encodeLens(const Lens& l) {
    std::vector<uint8_t> out(kLensWireSize);
    const float v[9] = {l.fx, l.fy, l.cx, l.cy, l.k1, l.k2, l.k3, l.p1, l.p2};
    for (int i = 0; i < 9; ++i) putFloat(out.data() + 4 * i, v[i]);
    return out;
}

Lens decodeLens(const uint8_t* b) {
    Lens l;
    float* v[9] = {&l.fx, &l.fy, &l.cx, &l.cy, &l.k1, &l.k2, &l.k3, &l.p1, &l.p2};
    for (int i = 0; i < 9; ++i) *v[i] = getFloat(b + 4 * i);
    return l;
}

std::vector<uint8_t> encodeImuExtrinsic(const ImuExtrinsicValues& imu) {
    std::vector<uint8_t> out(kImuExtrinsicWireSize);
    for (int i = 0; i < 7; ++i) putFloat(out.data() + 4 * i, imu.values[i]);
    return out;
}

ImuExtrinsicValues decodeImuExtrinsic(const uint8_t* b) {
    ImuExtrinsicValues imu;
    for (int i = 0; i < 7; ++i) imu.values[i] = getFloat(b + 4 * i);
    return imu;
}

}  // namespace camsim
