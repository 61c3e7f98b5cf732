// The vocabulary shared by the SDK and its users: enumerations with their display names,
// the event record, and the records for device information, configuration, lens and IMU.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Movoda {

class Frame;

// ---- Enumerations: plain unsigned values on the interface ----

enum ImageType : std::uint32_t {
    IMG_DISTANCE = 0,
    IMG_AMPLITUDE = 1,
    IMG_GRAYSCALE = 2,
    IMG_POINTCLOUD = 3,
    IMG_POINTCLOUDAMP = 4,
};
constexpr std::size_t kImageTypeCount = 5;

enum ModulationFreq : std::uint32_t {
    FREQ_12M = 0,
    FREQ_6M = 1,
    FREQ_24M = 2,
    FREQ_3M = 3,
    FREQ_1_5M = 4,
    FREQ_0_75M = 5,
    FREQ_4_8M = 6,
};
constexpr std::size_t kModulationFreqCount = 7;

enum HdrMode : std::uint32_t {
    HDR_OFF = 0,
    HDR_TAMPORAL = 1,
    HDR_SPATIAL = 2,
};
constexpr std::size_t kHdrModeCount = 3;

enum DevState : std::uint32_t {
    DEV_Disconnected = 0,
    DEV_Init = 1,
    DEV_Idle = 2,
    DEV_Stream = 3,
    DEV_ErrCSI = 4,
    DEV_ErrI2C = 5,
    DEV_ErrTEMPL = 6,
    DEV_WarnTEMP = 7,
    DEV_tempDownFreq = 8,
    DEV_ErrTEMPH = 9,
    DEV_NoSensor = 10,
    DEV_NoModIc = 11,
    DEV_NoTempIc = 12,
    DEV_BootNoApp = 13,
    DEV_Bootloader = 14,
    DEV_ErrVcselpin = 15,
    DEV_ErrPowerV = 16,
    DEV_ErrPowerA = 17,
    DEV_ErrRAM = 18,
    DEV_ErrFlash = 19,
    DEV_ErrNoCalibFinish = 20,
    DEV_ErrNoCamParamters = 21,
    DEV_ErrNoMacCfg = 22,
    DEV_ErrNoSnCfg = 23,
    DEV_ErrTempParamters = 24,
    DEV_Calibrating = 25,
    DEV_ErrNoImuParamters = 26,
    DEV_ErrUnknowMax = 27,  // upper sentinel: received states are clamped to it
};
constexpr std::size_t kDevStateCount = 28;

// Connection state of the SDK; only SDK_Connected counts as connected.
enum SdkState : std::uint32_t {
    SDK_NotStartup = 0,
    SDK_PortOpening = 1,
    SDK_TxRxVerifying = 2,
    SDK_UdpOk = 3,
    SDK_Connected = 4,
    SDK_Unknow = 5,
};
constexpr std::size_t kSdkStateCount = 6;

// Status of one command exchange: the camera's 4-bit status code, or what the SDK made of
// the exchange (no answer, a status byte outside the table).
enum CmdStatus : std::uint32_t {
    CMD_OK = 0,
    CMD_UNSUPPORT = 1,
    CMD_BUSY = 2,
    CMD_REJECT = 3,
    CMD_REPORT = 7,
    CMD_FORMAT = 8,
    CMD_DATA = 9,
    CMD_TIMEOUT = 15,
    // A camera's status byte beyond the 4-bit table: a failure, never mistaken for "ok".
    CMD_INVALID = 16,
};
constexpr std::uint32_t kMaxWireStatus = 15;

// ---- Name tables (indexed by value) ----

inline constexpr std::array<const char*, kImageTypeCount> kImageTypeNames = {
    "IMG_DISTANCE", "IMG_AMPLITUDE", "IMG_GRAYSCALE", "IMG_POINTCLOUD", "IMG_POINTCLOUDAMP"};

inline constexpr std::array<const char*, kModulationFreqCount> kModulationFreqNames = {
    "FREQ_12M", "FREQ_6M", "FREQ_24M", "FREQ_3M", "FREQ_1_5M", "FREQ_0_75M", "FREQ_4_8M"};

inline constexpr std::array<const char*, kHdrModeCount> kHdrModeNames = {"HDR_OFF", "HDR_TAMPORAL",
                                                                         "HDR_SPATIAL"};

// clang-format off
inline constexpr std::array<const char*, kDevStateCount> kDevStateNames = {
    "Disconnected", "Init", "Idle", "Stream", "ErrCSI", "ErrI2C", "ErrTEMPL",               // 0..6
    "WarnTEMP", "tempDownFreq", "ErrTEMPH", "NoSensor", "NoModIc", "NoTempIc",              // 7..12
    "BootNoApp", "Bootloader", "ErrVcselpin", "ErrPowerV", "ErrPowerA", "ErrRAM",           // 13..18
    "ErrFlash", "ErrNoCalibFinish", "ErrNoCamParamters", "ErrNoMacCfg", "ErrNoSnCfg",       // 19..23
    "ErrTempParamters", "Calibrating", "ErrNoImuParamters", "ErrUnknowMax"};                // 24..27
// clang-format on

inline constexpr std::array<const char*, kSdkStateCount> kSdkStateNames = {
    "NotStartup", "PortOpening", "TxRxVerifying", "UDP Ok", "Connected", "Unknow"};

// Value-to-name lookups. The tables end at their last entry; a value past it yields
// "Unknow" rather than reading outside the table.
inline const char* imageTypeName(std::uint32_t value) {
    return value < kImageTypeCount ? kImageTypeNames[value] : "Unknow";
}
inline const char* modulationFreqName(std::uint32_t value) {
    return value < kModulationFreqCount ? kModulationFreqNames[value] : "Unknow";
}
inline const char* hdrModeName(std::uint32_t value) {
    return value < kHdrModeCount ? kHdrModeNames[value] : "Unknow";
}
inline const char* devStateName(std::uint32_t value) {
    return value < kDevStateCount ? kDevStateNames[value] : "Unknow";
}
inline const char* sdkStateName(std::uint32_t value) {
    return value < kSdkStateCount ? kSdkStateNames[value] : kSdkStateNames[SDK_Unknow];
}

// ---- Events ----

constexpr std::uint8_t kEventIdState = 255;           // "sdkState" and "devState" events
constexpr std::uint8_t kEventIdFirstConnected = 254;  // first Connected after PortOpening

inline const char* const kEventSdkState = "sdkState";
inline const char* const kEventDevState = "devState";
inline const char* const kEventData = "data";

struct CBEventData {
    std::string eventName;           // "sdkState", "devState" or "data"
    std::uint8_t cmdId = 0;          // 255 state, 254 first Connected, else the packet's id
    std::uint8_t reportByte = 0;     // status byte of the report behind a "data" event
    std::vector<std::uint8_t> data;  // event payload
};

// ---- Device records ----

struct DevInfo {
    std::array<std::uint8_t, 4> ip{};
    std::array<std::uint8_t, 4> netmask{};
    std::array<std::uint8_t, 4> gateway{};
    std::array<std::uint8_t, 6> mac{};
    std::string fwVersion;
    std::string sn;
    std::string bootVersion;
    std::uint16_t idWord1 = 0;
    std::uint16_t idWord2 = 0;
    std::string idText;
    std::array<std::uint8_t, 3> isCalibrated{};
    std::array<std::uint8_t, 4> udpDestIp{};
    std::uint16_t udpDestPort = 0;
    std::uint8_t statusA = 0;
    std::uint8_t factoryFlags = 0;
};

struct DevConfig {
    std::uint32_t imageType = 0;
    std::uint32_t modFreq = 0;
    std::uint32_t hdrMode = 0;
    std::array<std::uint16_t, 5> intTime{};
    std::uint16_t intTimeGs = 0;
    std::uint16_t minAmplitude = 0;
    std::uint8_t extraByte = 0;
    std::array<std::uint16_t, 4> cfgWords{};
    std::uint8_t maxFps = 0;
    std::uint8_t layoutRev = 0;
    std::uint8_t binningH = 0;
    std::uint8_t binningV = 0;
    std::uint8_t channel = 0;
    std::uint8_t maxFpsLimit = 0;
    std::uint8_t vcselMode = 0;
    std::uint8_t ptpDomain = 0;
    std::uint8_t devByte = 0;
    std::uint8_t recordVersion = 0;
    std::array<std::uint8_t, 5> freqCode{};
    std::uint8_t cutOn = 0;
    std::uint16_t cutInt0 = 0;
    std::uint16_t cutDist0 = 0;
    std::uint16_t cutInt1 = 0;
    std::uint16_t cutDist1 = 0;
};

// Pinhole model with radial (k1..k3) and tangential (p1, p2) distortion; 36 bytes on the wire.
struct LensParams {
    float fx = 170.0f;
    float fy = 170.0f;
    float cx = 160.0f;
    float cy = 120.0f;
    float k1 = 0.0f;
    float k2 = 0.0f;
    float k3 = 0.0f;
    float p1 = 0.0f;
    float p2 = 0.0f;
};
constexpr std::size_t kLensParamsWireSize = 36;

// Rotation quaternion (qw, qx, qy, qz) followed by a translation (tx, ty, tz); 28 bytes on the
// wire.
struct ImuExtrinsic {
    float qw = 1.0f;
    float qx = 0.0f;
    float qy = 0.0f;
    float qz = 0.0f;
    float tx = 0.0f;
    float ty = 0.0f;
    float tz = 0.0f;
};
constexpr std::size_t kImuExtrinsicWireSize = 28;

// ---- Callbacks ----

using EventCallback = std::function<void(const std::shared_ptr<const CBEventData>&)>;
using FrameCallback = std::function<void(const std::shared_ptr<const Frame>&)>;
// Sees a camera frame as soon as it is accepted, before decoding: header fields and the
// stored packet only (planes and cloud are not filled yet).
using FrameTap = std::function<void(const std::shared_ptr<const Frame>&)>;
// The SDK's own event hook: a plain function with a user pointer stored beside it.
using EventHookFn = void (*)(std::shared_ptr<const CBEventData> event, void* user);

}  // namespace Movoda
