// Lens or IMU parameters from an INI file, written into the camera. The file holds
// either a "lensdata" group (fx fy cx cy k1 k2 k3 p1 p2) or an "imuextparams" group
// (qw qx qy qz tx ty tz); a file with both writes the lens. No widgets: the calibration
// window asks for the file and shows the outcome.
#pragma once

#include <QString>

#include <optional>
#include <variant>

#include "mvsdk/MvTypes.h"

namespace Movoda {
class MvSdk;
}

namespace vantory::maintenance {

using CamParams = std::variant<Movoda::LensParams, Movoda::ImuExtrinsic>;

// Empty when the file holds neither group (a missing later key reads as 0).
std::optional<CamParams> readCamParamsFile(const QString& path);

enum class ImportResult { NothingToWrite, LensWritten, LensFailed, ImuWritten, ImuFailed };
ImportResult importCamParams(const QString& path, Movoda::MvSdk& sdk);

// The line printed for a result ("write lendata ok", ...); empty for NothingToWrite.
const char* importResultLine(ImportResult result);

}  // namespace vantory::maintenance
