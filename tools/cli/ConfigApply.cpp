#include "ConfigApply.h"

#include <QString>

#include <algorithm>

#include "FilterSender.h"

namespace vantory_cli {
namespace {

constexpr int kHdrModes = 3;  // off, temporal, spatial

uint16_t u16(int value) {
    return static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
}

}  // namespace

std::optional<vantory::CameraConfig> loadConfigFile(const std::string& path, std::string& why) {
    auto config = vantory::settings::readCameraConfig(QString::fromStdString(path));
    if (!config) why = path + " is not a configuration file (a .mvcfg holding Setting/imgType)";
    return config;
}

bool applyConfig(CameraSession& session, const vantory::CameraConfig& c, bool keepFrameRate,
                 std::string& why) {
    const auto hdr = static_cast<Movoda::HdrMode>(c.hdr >= 0 && c.hdr < kHdrModes ? c.hdr : 0);
    if (!session.command([&](Movoda::MvSdk& sdk) { return sdk.setHdrMode(hdr); })) {
        why = "the camera refused the HDR mode of the configuration";
        return false;
    }
    const auto& t = c.intTimes;
    if (!session.command([&](Movoda::MvSdk& sdk) {
            return sdk.setIntTimesus(u16(c.intGs), u16(t[0]), u16(t[1]), u16(t[2]), u16(t[3]),
                                     u16(t[4]));
        })) {
        why = "the camera refused the integration times of the configuration";
        return false;
    }
    if (!session.command([&](Movoda::MvSdk& sdk) { return sdk.setMinAmplitude(u16(c.minLsb)); })) {
        why = "the camera refused the minimum amplitude of the configuration";
        return false;
    }
    if (!keepFrameRate && !session.command([&](Movoda::MvSdk& sdk) {
            return sdk.setMaxFps(static_cast<uint8_t>(c.maxFps));
        })) {
        why = "the camera refused the frame rate " + std::to_string(c.maxFps) +
              " of the configuration";
        return false;
    }
    Movoda::MvSdk& sdk = session.sdk();
    sdk.setMirror(c.hMirror ? 1 : 0, c.vMirror ? 1 : 0);
    sdk.setCutCorner(static_cast<uint32_t>(std::max(0, c.cutCorner)));
    vantory::filters::MvSdkFilterSink sink(sdk);
    vantory::filters::applySdkFilters(
        sink, vantory::filters::controlsFromValues(c.filters, c.pclFilterOn));
    return true;
}

}  // namespace vantory_cli
