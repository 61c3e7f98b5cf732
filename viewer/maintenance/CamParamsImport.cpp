#include "CamParamsImport.h"

#include <QFileInfo>
#include <QSettings>

#include <array>

#include "mvsdk/MvSdk.h"

namespace vantory::maintenance {
namespace {

constexpr const char* kLensPresenceKey = "lensdata/fx";
constexpr std::array<const char*, 9> kLensKeys = {"lensdata/fx", "lensdata/fy", "lensdata/cx",
                                                  "lensdata/cy", "lensdata/k1", "lensdata/k2",
                                                  "lensdata/k3", "lensdata/p1", "lensdata/p2"};
constexpr const char* kImuPresenceKey = "imuextparams/qw";
constexpr std::array<const char*, 7> kImuKeys = {
    "imuextparams/qw", "imuextparams/qx", "imuextparams/qy", "imuextparams/qz",
    "imuextparams/tx", "imuextparams/ty", "imuextparams/tz"};

// Numbers as the file states them, narrowed to what the camera stores; text that is no
// number reads as 0 like a missing key.
template <std::size_t N>
std::array<float, N> readFloats(const QSettings& file, const std::array<const char*, N>& keys) {
    std::array<float, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = static_cast<float>(file.value(QString::fromLatin1(keys[i]), 0.0).toDouble());
    }
    return values;
}

}  // namespace

std::optional<CamParams> readCamParamsFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    const QSettings file(path, QSettings::IniFormat);
    if (file.contains(QString::fromLatin1(kLensPresenceKey))) {
        const auto v = readFloats(file, kLensKeys);
        Movoda::LensParams lens;
        lens.fx = v[0], lens.fy = v[1], lens.cx = v[2], lens.cy = v[3];
        lens.k1 = v[4], lens.k2 = v[5], lens.k3 = v[6], lens.p1 = v[7], lens.p2 = v[8];
        return CamParams(lens);
    }
    if (file.contains(QString::fromLatin1(kImuPresenceKey))) {
        const auto v = readFloats(file, kImuKeys);
        Movoda::ImuExtrinsic imu;
        imu.qw = v[0], imu.qx = v[1], imu.qy = v[2], imu.qz = v[3];
        imu.tx = v[4], imu.ty = v[5], imu.tz = v[6];
        return CamParams(imu);
    }
    return std::nullopt;
}

ImportResult importCamParams(const QString& path, Movoda::MvSdk& sdk) {
    const std::optional<CamParams> params = readCamParamsFile(path);
    if (!params) return ImportResult::NothingToWrite;
    if (const auto* lens = std::get_if<Movoda::LensParams>(&*params)) {
        return sdk.factory()->writeLensParams(*lens) ? ImportResult::LensWritten
                                                     : ImportResult::LensFailed;
    }
    return sdk.factory()->writeImuExtrinsic(std::get<Movoda::ImuExtrinsic>(*params))
               ? ImportResult::ImuWritten
               : ImportResult::ImuFailed;
}

const char* importResultLine(ImportResult result) {
    switch (result) {
        case ImportResult::LensWritten:
            return "write lendata ok";
        case ImportResult::LensFailed:
            return "write lendata failed";
        case ImportResult::ImuWritten:
            return "write imu param ok";
        case ImportResult::ImuFailed:
            return "write imu param failed";
        case ImportResult::NothingToWrite:
            break;
    }
    return "";
}

}  // namespace vantory::maintenance
