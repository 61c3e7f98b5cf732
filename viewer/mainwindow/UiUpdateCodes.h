// Numbered GUI updates raised from any thread through SdkSignal::updateUiThread.
#pragma once

namespace vantory {

enum UiUpdate : int {
    kUpdateFrameDisplay = 0,
    kUpdateFirstConnected = 1,
    kUpdateConnectionState = 2,
    kUpdateUsbDetect = 4,
    kUpdateCalibrationStatus = 5,
    kUpdateCalibrationProgress = 6,
    kUpdateDeviceProgress = 7,
    kUpdateReloadDevConfig = 9,
    kUpdatePlaySliderRange = 10,
    kUpdatePlayPosition = 11,
    kUpdatePlayButton = 12,
    kUpdateRecordCount = 13,
    kUpdatePlaybackConfig = 14,
    kUpdateReflectivityCoef = 15,
    kUpdateTimedMessage = 16,
    kUpdateDeviceRefresh = 17,
};

}  // namespace vantory
