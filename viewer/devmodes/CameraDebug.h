// Camera-side debug operations: the sunlight calibration and the pixel report.
#pragma once

namespace Movoda {
class MvSdk;
}

namespace vantory::devmodes {

// Emitters off, HDR off, grayscale and first exposure 2000 us (the others 0), 10 frames
// per second, binning off, then the camera's sunlight measurement. Stops at the first
// step the camera refuses; true when every step was accepted.
bool startSunlightCalibration(Movoda::MvSdk& sdk);

// Ends the measurement and turns both emitters on again. The emitters are switched on
// even when the camera refused the first step; true when both were accepted.
bool stopSunlightCalibration(Movoda::MvSdk& sdk);

// Asks the camera to report the pixel at (row, column); the column travels in the
// link's byte order. Rows above 255 and columns above 65535 are clamped.
bool sendPixelReport(Movoda::MvSdk& sdk, int row, int column);

}  // namespace vantory::devmodes
