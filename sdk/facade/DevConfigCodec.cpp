#include "facade/DevConfigCodec.h"

#include <algorithm>

#include "facade/WireBytes.h"

namespace Movoda::facade {

namespace {

namespace p {
constexpr size_t kDevByte = 7, kDataCode = 8, kHdrMode = 9, kFreqCodes = 10;
constexpr size_t kIntTimes = 15, kIntTimeGs = 25;
constexpr size_t kCfgWords[4] = {27, 31, 29, 33};
constexpr size_t kMinAmplitude = 35, kChannel = 37, kBinning = 38;
constexpr size_t kMaxFpsLimit = 40, kMaxFps = 41, kVcselMode = 42, kPtpDomain = 44;
constexpr size_t kCutOn = 47, kCutInt0 = 48, kCutDist0 = 50, kCutInt1 = 52, kCutDist1 = 54;
constexpr uint8_t kDataCodeDistance = 1, kDataCodeGrayscale = 8;
constexpr uint8_t kBinningHBit = 0x02, kBinningVBit = 0x01;
constexpr uint8_t kRecordVersion = 3;
}  // namespace p

namespace d {
constexpr size_t kImageType = 0, kModFreq = 1, kHdrMode = 2, kMinAmplitude = 3;
constexpr size_t kIntTimes = 5, kIntTimeGs = 11, kExtraByte = 13;
constexpr size_t kLongAbove = 25;  // larger records carry the fields from kCfgWords on
constexpr size_t kCfgWords = 14, kMaxFps = 22, kLayoutRev = 23, kBinning = 24;
constexpr size_t kLimitsFrom = 28;  // records of this size carry the two fields below
constexpr size_t kMaxFpsLimit = 25, kChannel = 26;
constexpr uint8_t kRecordVersion = 2;
}  // namespace d

constexpr uint32_t kCloudTypeShift = IMG_POINTCLOUD - IMG_DISTANCE;

uint32_t imageTypeFromDataCode(uint8_t code) {
    if (code == p::kDataCodeDistance) return IMG_DISTANCE;
    if (code == p::kDataCodeGrayscale) return IMG_GRAYSCALE;
    return IMG_AMPLITUDE;
}

// In HDR mode several integration times run, and the lowest of their frequencies (the
// largest code) governs the range.
uint8_t governingFreqCode(const DevConfig& c) {
    if (c.hdrMode != HDR_TAMPORAL) return c.freqCode[0];
    uint8_t code = 0;
    for (size_t i = 0; i < c.intTime.size(); ++i)
        if (c.intTime[i] != 0) code = std::max(code, c.freqCode[i]);
    return code;
}

DevConfig decodeP(const uint8_t* b, bool pointCloudFlag) {
    DevConfig c;
    c.devByte = b[p::kDevByte];
    c.imageType = imageTypeFromDataCode(b[p::kDataCode]);
    c.hdrMode = b[p::kHdrMode];
    std::copy(b + p::kFreqCodes, b + p::kFreqCodes + c.freqCode.size(), c.freqCode.begin());
    for (size_t i = 0; i < c.intTime.size(); ++i)
        c.intTime[i] = wire::getU16(b + p::kIntTimes + 2 * i, false);
    c.intTimeGs = wire::getU16(b + p::kIntTimeGs, false);
    for (size_t i = 0; i < c.cfgWords.size(); ++i)
        c.cfgWords[i] = wire::getU16(b + p::kCfgWords[i], false);
    c.minAmplitude = wire::getU16(b + p::kMinAmplitude, false);
    c.channel = b[p::kChannel];
    c.binningH = (b[p::kBinning] & p::kBinningHBit) ? 1 : 0;
    c.binningV = (b[p::kBinning] & p::kBinningVBit) ? 1 : 0;
    c.maxFpsLimit = b[p::kMaxFpsLimit];
    c.maxFps = b[p::kMaxFps];
    c.vcselMode = b[p::kVcselMode];
    c.ptpDomain = b[p::kPtpDomain];
    c.cutOn = b[p::kCutOn];
    c.cutInt0 = wire::getU16(b + p::kCutInt0, false);
    c.cutDist0 = wire::getU16(b + p::kCutDist0, false);
    c.cutInt1 = wire::getU16(b + p::kCutInt1, false);
    c.cutDist1 = wire::getU16(b + p::kCutDist1, false);
    c.layoutRev = p::kRecordVersion;
    c.recordVersion = p::kRecordVersion;
    c.modFreq = modFreqFromCode(governingFreqCode(c));
    if (pointCloudFlag && (c.imageType == IMG_DISTANCE || c.imageType == IMG_AMPLITUDE))
        c.imageType += kCloudTypeShift;
    return c;
}

DevConfig decodeD(const uint8_t* b, size_t size, bool pointCloudFlag) {
    DevConfig c;
    c.imageType = b[d::kImageType];
    c.modFreq = b[d::kModFreq];
    c.hdrMode = b[d::kHdrMode];
    c.minAmplitude = wire::getU16(b + d::kMinAmplitude, true);
    for (size_t i = 0; i < 3; ++i) c.intTime[i] = wire::getU16(b + d::kIntTimes + 2 * i, true);
    c.intTimeGs = wire::getU16(b + d::kIntTimeGs, true);
    c.extraByte = b[d::kExtraByte];
    c.recordVersion = d::kRecordVersion;
    if (size > d::kLongAbove) {
        for (size_t i = 0; i < c.cfgWords.size(); ++i)
            c.cfgWords[i] = wire::getU16(b + d::kCfgWords + 2 * i, true);
        c.maxFps = b[d::kMaxFps];
        c.layoutRev = b[d::kLayoutRev];
        c.binningH = b[d::kBinning] >> 4;
        c.binningV = b[d::kBinning] & 0x0F;
        if (size >= d::kLimitsFrom) {
            c.maxFpsLimit = b[d::kMaxFpsLimit];
            c.channel = b[d::kChannel];
        }
    }
    if (pointCloudFlag && c.imageType != IMG_GRAYSCALE) c.imageType += kCloudTypeShift;
    return c;
}

}  // namespace

DevConfigLayout devConfigLayout(size_t size) {
    if (size <= kDevConfigMaxRejectedSize) return DevConfigLayout::None;
    return size == kDevConfigSizeP ? DevConfigLayout::P : DevConfigLayout::D;
}

uint32_t modFreqFromCode(uint8_t code) {
    if (code == 0) return FREQ_24M;
    if (code == 1) return FREQ_12M;
    if (code <= 3) return FREQ_6M;
    if (code <= 7) return FREQ_3M;
    return FREQ_1_5M;
}

bool decodeDevConfig(const uint8_t* data, size_t size, bool pointCloudFlag, DevConfig& config) {
    if (data == nullptr) return false;
    switch (devConfigLayout(size)) {
        case DevConfigLayout::P:
            config = decodeP(data, pointCloudFlag);
            return true;
        case DevConfigLayout::D:
            config = decodeD(data, size, pointCloudFlag);
            return true;
        case DevConfigLayout::None:
            return false;
    }
    return false;
}

}  // namespace Movoda::facade
