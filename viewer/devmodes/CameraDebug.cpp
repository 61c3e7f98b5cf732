#include "CameraDebug.h"

#include <algorithm>
#include <cstdint>

#include "DevModeConstants.h"
#include "ServiceCommands.h"
#include "mvsdk/MvSdk.h"

namespace vantory::devmodes {

bool startSunlightCalibration(Movoda::MvSdk& sdk) {
    Movoda::MvSdk& factory = *sdk.factory();
    return factory.setVcselOnOff(kEmittersOff) && sdk.setHdrMode(Movoda::HDR_OFF) &&
           sdk.setIntTimesus(kSunlightGrayscaleUs, kSunlightIntegrationUs, 0, 0, 0, 0) &&
           sdk.setMaxFps(kSunlightMaxFps) && factory.setBinning(0, 0) &&
           service::send(sdk, service::sunlightCalibrationCommand(true));
}

bool stopSunlightCalibration(Movoda::MvSdk& sdk) {
    const bool stopped = service::send(sdk, service::sunlightCalibrationCommand(false));
    const bool emittersOn = sdk.factory()->setVcselOnOff(kEmittersOn);
    return stopped && emittersOn;
}

bool sendPixelReport(Movoda::MvSdk& sdk, int row, int column) {
    const auto rowByte = static_cast<std::uint8_t>(std::clamp(row, 0, 0xFF));
    const auto column16 = static_cast<std::uint16_t>(std::clamp(column, 0, 0xFFFF));
    return service::send(sdk, service::pixelReportCommand(rowByte, column16, sdk.getEndianFlag()));
}

}  // namespace vantory::devmodes
