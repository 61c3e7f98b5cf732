// Texts of the device-settings and calibration windows, in English and Chinese, and the
// styles of their status labels.
#pragma once

#include <QString>

#include "FirmwareTexts.h"

namespace vantory::maintenance {

using service::Text;

inline QString textIn(const Text& text, bool english) {
    return QString::fromUtf8(text.in(english));
}

namespace mtext {
inline constexpr Text kInfoTitle{"Info", "提示"};
inline constexpr Text kConfirmTitle{"Please confirm", "请确认"};
inline constexpr Text kMacWritten{"MAC Write successfully", "MAC 写入成功"};
inline constexpr Text kSnWritten{"SN Write successfully", "SN 写入成功"};
inline constexpr Text kIpWritten{"IP Write successfully", "IP 写入成功"};
inline constexpr Text kTempCoefWritten{"Temperature Coefficient Write successfully",
                                       "温度系数写入成功"};
inline constexpr Text kRebootQuestion{"Confirm to restart the device?", "确认重启设备吗?"};
inline constexpr Text kFactoryQuestion{"Confirm to restore factory settings?",
                                       "确认恢复出厂设置吗?"};
inline constexpr Text kTempCoefNotANumber{"The temperature coefficient must be a whole number",
                                          "温度系数必须是整数"};

inline constexpr Text kCalibrationQuestion{
    "Will the calibration data be deleted first and confirm re-calibration?",
    "会先删除标定数据，确认重新标定吗?"};
inline constexpr Text kCalibrationRunning{"进行中", "进行中"};
inline constexpr Text kCalibrationDone{"完成", "完成"};
inline constexpr Text kCalibrationFailed{"Fail", "失败"};
inline constexpr Text kImuParamsWritten{"imu params write ok", "imu params write ok"};
}  // namespace mtext

inline const QString kStyleGreen = QStringLiteral("color:green");
inline const QString kStyleRed = QStringLiteral("color:red");

}  // namespace vantory::maintenance
