#include "CommandProcessor.h"

#include <algorithm>
#include <cstring>

#include "ByteIo.h"
#include "CamsimConstants.h"

namespace camsim {
namespace {

Reply ok(std::vector<uint8_t> payload = {}) {
    Reply r;
    r.payload = std::move(payload);
    return r;
}

Reply fail(uint8_t statusCode) {
    Reply r;
    r.status = statusCode;
    return r;
}

bool isMagicWord(const std::vector<uint8_t>& p) {
    return p.size() == 6 && std::memcmp(p.data(), kMagicWord, 6) == 0;
}

constexpr uint8_t kHdrWireOff = 0, kHdrWireSpatial = 1, kHdrWireTemporal = 2;
constexpr uint8_t kHdrTemporal = 1, kHdrSpatial = 2;
constexpr uint8_t kCalibrationFrequencies = 5;
constexpr uint8_t kChannels = 16;
constexpr uint8_t kLightEnergyClear = 0, kLightEnergySet = 1, kLightEnergyRead = 2;
constexpr size_t kBootTextSize = 32;
constexpr size_t kSerialMaxSize = 28;

}  // namespace

CommandProcessor::CommandProcessor(ProcessorSettings settings)
    : settings_(std::move(settings)), identity_(settings_.identity), config_(settings_.config) {
    if (identity_.serial.empty()) identity_.serial = defaultSerial(identity_.model);
    if (!settings_.stateFile.empty()) loadConfig(settings_.stateFile, config_);
}

uint16_t CommandProcessor::u16(const uint8_t* at) const {
    return getU16(at, settings_.legacy);
}
uint32_t CommandProcessor::u32(const uint8_t* at) const {
    return getU32(at, settings_.legacy);
}

Identity CommandProcessor::identity() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return identity_;
}
AcquisitionConfig CommandProcessor::config() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_;
}
void CommandProcessor::setConfig(const AcquisitionConfig& config) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_ = config;
}
StreamDestination CommandProcessor::destination() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return destination_;
}
uint8_t CommandProcessor::devState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return devState_;
}
void CommandProcessor::setDevState(uint8_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    devState_ = state;
}
bool CommandProcessor::streaming() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return streaming_;
}
void CommandProcessor::setStreaming(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    streaming_ = on;
    if (devState_ == devstate::kStream || devState_ == devstate::kIdle) {
        devState_ = on ? devstate::kStream : devstate::kIdle;
    }
}
uint8_t CommandProcessor::firmwareResult() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return firmwareResult_;
}
bool CommandProcessor::calibrationAllFrequencies() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calibrateAll_;
}

Reply CommandProcessor::handle(uint8_t id, const std::vector<uint8_t>& payload) {
    std::lock_guard<std::mutex> lock(mutex_);
    return handleLocked(id, payload);
}

Reply CommandProcessor::handleLocked(uint8_t id, const std::vector<uint8_t>& p) {
    const bool inBootloader = devState_ == devstate::kBootloader;
    const bool calibrating = devState_ == devstate::kCalibrating;
    switch (id) {
        case cmd::kLinkCheck:
            return ok();
        case cmd::kStart: {
            if (p.empty()) return fail(status::kFormat);
            if (p[0] < 1 || p[0] > 3) return fail(status::kReject);
            if (inBootloader) return fail(status::kReject);
            if (calibrating) return fail(status::kBusy);
            config_.streamCode = p[0];
            streaming_ = true;
            devState_ = devstate::kStream;
            Reply r = ok();
            r.followUps.push_back(FollowUp::StartStream);
            return r;
        }
        case cmd::kStop: {
            streaming_ = false;
            if (devState_ == devstate::kStream) devState_ = devstate::kIdle;
            Reply r = ok();
            r.followUps.push_back(FollowUp::StopStream);
            return r;
        }
        case cmd::kSetIp: {
            if (p.size() != 12) return fail(status::kFormat);
            std::copy(p.begin(), p.begin() + 4, identity_.ip.begin());
            std::copy(p.begin() + 4, p.begin() + 8, identity_.netmask.begin());
            std::copy(p.begin() + 8, p.begin() + 12, identity_.gateway.begin());
            return ok();
        }
        case cmd::kDevInfo:
            return ok(settings_.legacy ? encodeLegacyDevInfo(identity_, destination_, devState_)
                                       : encodeDevInfo(identity_, destination_, devState_));
        case cmd::kDevConfig:
            return ok(settings_.legacy ? encodeLegacyDevConfig(config_, identity_.fpsLimit)
                                       : encodeDevConfig(config_, identity_.fpsLimit));
        case cmd::kIntTimes: {
            if (p.size() != 12) return fail(status::kFormat);
            // Order on the wire: t1, t2, t3, gs, t4, t5.
            const uint16_t t[5] = {u16(&p[0]), u16(&p[2]), u16(&p[4]), u16(&p[8]), u16(&p[10])};
            for (uint16_t v : t) {
                if (v > kMaxIntegrationTimeUs) return fail(status::kReject);
            }
            std::copy(std::begin(t), std::end(t), config_.intTimes.begin());
            config_.intTimeGs = u16(&p[6]);
            return ok();
        }
        case cmd::kMinAmplitude:
            if (p.size() != 2) return fail(status::kFormat);
            config_.minAmplitude = u16(p.data());
            return ok();
        case cmd::kHdrMode:
            if (p.size() != 1) return fail(status::kFormat);
            if (p[0] == kHdrWireOff)
                config_.hdrMode = 0;
            else if (p[0] == kHdrWireSpatial)
                config_.hdrMode = kHdrSpatial;
            else if (p[0] == kHdrWireTemporal)
                config_.hdrMode = kHdrTemporal;
            else
                return fail(status::kReject);
            return ok();
        case cmd::kBinning:
            if (p.size() != 1) return fail(status::kFormat);
            config_.binningH = (p[0] >> 4) != 0;
            config_.binningV = (p[0] & 0x0F) != 0;
            return ok();
        case cmd::kReset: {
            if (!isMagicWord(p)) return fail(status::kReject);
            streaming_ = false;
            devState_ = devstate::kIdle;
            Reply r = ok();
            r.followUps.push_back(FollowUp::StopStream);
            r.followUps.push_back(FollowUp::ResetLink);
            return r;
        }
        case cmd::kRestoreFactory:
            if (!isMagicWord(p)) return fail(status::kReject);
            config_ = settings_.config;
            return ok();
        case cmd::kLensRead:
            return ok(encodeLens(identity_.lens));
        case cmd::kUdpDest:
            if (p.size() != 6) return fail(status::kFormat);
            std::copy(p.begin(), p.begin() + 4, destination_.ip.begin());
            destination_.port = u16(&p[4]);
            if (destination_.port == 0) return fail(status::kReject);
            return ok();
        case cmd::kChannel:
            if (p.size() != 1) return fail(status::kFormat);
            if (p[0] >= kChannels) return fail(status::kReject);
            config_.channel = p[0];
            return ok();
        case cmd::kFreqCodes:
            if (p.size() != 5) return fail(status::kFormat);
            std::copy(p.begin(), p.end(), config_.freqCodes.begin());
            return ok();
        case cmd::kImuExtrinsicRead:
            return ok(encodeImuExtrinsic(identity_.imu));
        case cmd::kPtpDomain:
            if (p.size() != 2 || p[0] != 1) return fail(status::kFormat);
            config_.ptpDomain = p[1];
            return ok();
        case cmd::kSaveConfig:
            if (!isMagicWord(p)) return fail(status::kReject);
            if (!settings_.stateFile.empty() && !saveConfig(settings_.stateFile, config_)) {
                return fail(status::kBusy);
            }
            return ok();
        case cmd::kBootText: {
            std::vector<uint8_t> text(std::max(kBootTextSize, identity_.boot.size() + 1), 0);
            std::copy(identity_.boot.begin(), identity_.boot.end(), text.begin());
            return ok(std::move(text));
        }
        case cmd::kEnterBootloader: {
            streaming_ = false;
            Reply r = ok();
            r.followUps.push_back(FollowUp::StopStream);
            r.followUps.push_back(FollowUp::EnterBootloader);
            return r;
        }
        case cmd::kFirmware:
            return handleFirmware(p);
        case cmd::kRoi: {
            if (p.size() != 8) return fail(status::kFormat);
            const uint16_t x0 = u16(&p[0]), y0 = u16(&p[2]), x1 = u16(&p[4]), y1 = u16(&p[6]);
            if (x0 > x1 || y0 > y1 || x1 >= kSensorWidth || y1 >= kSensorHeight) {
                return fail(status::kReject);
            }
            config_.roiX0 = x0;
            config_.roiY0 = y0;
            config_.roiX1 = x1;
            config_.roiY1 = y1;
            return ok();
        }
        case cmd::kModFreq: {
            if (p.size() != 1) return fail(status::kFormat);
            uint8_t code;
            if (!codeOfModulationFreq(p[0], code)) return fail(status::kReject);
            config_.freqCodes.fill(code);
            return ok();
        }
        case cmd::kVcsel:
            if (p.size() != 1) return fail(status::kFormat);
            if (p[0] > 3) return fail(status::kReject);
            config_.vcselMode = p[0];
            return ok();
        case cmd::kMaxFps:
            if (p.size() != 1) return fail(status::kFormat);
            if (p[0] == 0 || p[0] > std::min(kMaxFrameRate, identity_.fpsLimit))
                return fail(status::kReject);
            config_.maxFps = p[0];
            return ok();
        case cmd::kIntegrationLevel:
            if (p.size() != 1) return fail(status::kFormat);
            config_.integrationLevel = p[0];
            return ok();
        case cmd::kClearRoi:
            config_.roiX0 = 0;
            config_.roiY0 = 0;
            config_.roiX1 = kSensorWidth - 1;
            config_.roiY1 = kSensorHeight - 1;
            return ok();
        case cmd::kMaxLightEnergy: {
            if (p.size() != 3) return fail(status::kFormat);
            const uint16_t value = u16(&p[1]);
            if (p[0] == kLightEnergyClear)
                config_.maxLightEnergy = 0;
            else if (p[0] == kLightEnergySet)
                config_.maxLightEnergy = value;
            else if (p[0] != kLightEnergyRead)
                return fail(status::kReject);
            std::vector<uint8_t> out(std::max<size_t>(2, identity_.lightEnergyAnswerSize));
            putU16(out.data(), config_.maxLightEnergy, settings_.legacy);
            out.resize(identity_.lightEnergyAnswerSize);
            return ok(std::move(out));
        }
        case cmd::kSetSerial:
            if (p.empty() || p.size() > kSerialMaxSize) return fail(status::kFormat);
            identity_.serial.assign(p.begin(), p.end());
            return ok();
        case cmd::kSetMac: {
            if (p.size() != 6) return fail(status::kFormat);
            const bool unlock =
                std::all_of(p.begin(), p.end(), [](uint8_t b) { return b == 0xFF; });
            if (unlock) {
                macUnlocked_ = true;
                return ok();
            }
            if (!macUnlocked_) return fail(status::kReject);
            std::copy(p.begin(), p.end(), identity_.mac.begin());
            macUnlocked_ = false;
            return ok();
        }
        case cmd::kCalibrationSetup:
            if (p.size() != 4 || p[0] != 1) return fail(status::kFormat);
            calibrationReady_ = true;
            return ok();
        case cmd::kCalibrateAll:
        case cmd::kCalibrateOne: {
            if (id == cmd::kCalibrateOne && (p.size() != 1 || p[0] >= kCalibrationFrequencies)) {
                return fail(status::kFormat);
            }
            if (!calibrationReady_ || streaming_ || inBootloader) return fail(status::kReject);
            if (calibrating) return fail(status::kBusy);
            calibrationReady_ = false;
            calibrateAll_ = id == cmd::kCalibrateAll;
            devState_ = devstate::kCalibrating;
            Reply r = ok();
            r.followUps.push_back(FollowUp::StartCalibration);
            return r;
        }
        case cmd::kCompensation:
            if (p.size() != 2) return fail(status::kFormat);
            config_.compensation = {p[0], p[1]};
            return ok();
        case cmd::kTempCoefWrite:
            if (p.size() != 5) return fail(status::kFormat);
            config_.tempCoefficient = int32_t(u32(p.data()));
            return ok();
        case cmd::kTempCoefRead: {
            if (p.size() != 1) return fail(status::kFormat);
            std::vector<uint8_t> out(4);
            putU32(out.data(), uint32_t(config_.tempCoefficient), settings_.legacy);
            return ok(std::move(out));
        }
        case cmd::kLensWrite:
            if (p.size() != kLensWireSize) return fail(status::kFormat);
            identity_.lens = decodeLens(p.data());
            return ok();
        case cmd::kImuExtrinsicWrite:
            if (p.size() != kImuExtrinsicWireSize) return fail(status::kFormat);
            identity_.imu = decodeImuExtrinsic(p.data());
            return ok();
        case cmd::kSelector:
            return handleSelector(p);
        default:
            return fail(status::kUnsupported);
    }
}

Reply CommandProcessor::handleSelector(const std::vector<uint8_t>& p) {
    if (p.empty()) return fail(status::kFormat);
    switch (p[0]) {
        case selector::kGrayscalePlane:
            if (p.size() != 2) return fail(status::kFormat);
            config_.grayscalePlane = p[1] != 0;
            return ok();
        case selector::kRawDcs:
            if (p.size() != 2) return fail(status::kFormat);
            config_.rawDcsPlane = p[1] != 0;
            return ok();
        case selector::kPixelReport:
            if (p.size() != 5) return fail(status::kFormat);
            config_.pixelReport = p[1] != 0;
            config_.pixelRow = p[2];
            config_.pixelColumn = u16(&p[3]);
            return ok();
        case selector::kRenderMode:
            if (p.size() != 3) return fail(status::kFormat);
            config_.renderMode = p[2];
            return ok();
        case selector::kCutSwitch:
            if (p.size() != 2) return fail(status::kFormat);
            config_.cutOn = p[1] != 0;
            return ok();
        case selector::kCutParameter:
            if (p.size() != 4 || p[1] > 3) return fail(status::kFormat);
            config_.cut[p[1]] = u16(&p[2]);
            return ok();
        case selector::kDistanceOffset:
            if (p.size() != 4) return fail(status::kFormat);
            config_.offsetOn = p[1] != 0;
            config_.offsetMm = u16(&p[2]);
            return ok();
        case selector::kSunlightCalibration:
            if (p.size() != 2) return fail(status::kFormat);
            return ok();
        default:
            return fail(status::kUnsupported);
    }
}

Reply CommandProcessor::handleFirmware(const std::vector<uint8_t>& p) {
    if (p.empty()) return fail(status::kFormat);
    switch (p[0]) {
        case kFirmwareBegin:
            if (p.size() != 5) return fail(status::kFormat);
            firmwareSize_ = u32(&p[1]);
            if (firmwareSize_ == 0) return fail(status::kReject);
            firmwareOpen_ = true;
            firmwareReceived_ = 0;
            firmwareNextChunk_ = 0;
            return ok();
        case kFirmwareChunk: {
            if (!firmwareOpen_ || p.size() < 4 || p.size() > 3 + kFirmwareChunkSize) {
                return fail(status::kReject);
            }
            const uint32_t index = uint32_t(p[1]) << 8 | p[2];
            const uint32_t length = uint32_t(p.size() - 3);
            // Chunks come in order; a repeated chunk (a resend after a lost answer) is
            // acknowledged without counting it twice.
            if (index + 1 == firmwareNextChunk_) return ok();
            if (index != firmwareNextChunk_) return fail(status::kReject);
            if (firmwareReceived_ + length > firmwareSize_) return fail(status::kReject);
            const bool last = firmwareReceived_ + length == firmwareSize_;
            if (!last && length != kFirmwareChunkSize) return fail(status::kReject);
            firmwareReceived_ += length;
            ++firmwareNextChunk_;
            return ok();
        }
        case kFirmwareEnd: {
            if (!firmwareOpen_) return fail(status::kReject);
            firmwareOpen_ = false;
            firmwareResult_ =
                firmwareReceived_ == firmwareSize_ ? settings_.firmwareResult : kFirmwareResultSize;
            Reply r = ok();
            r.followUps.push_back(FollowUp::FirmwareDone);
            return r;
        }
        default:
            return fail(status::kFormat);
    }
}

}  // namespace camsim
