// Texts and command bytes of the filter window.
#pragma once

#include <cstdint>

namespace vantory::filters {

constexpr const char* kCloudLibraryMissingText = "can not load pcl_process dll";
constexpr const char* kCloudFilterCaptionPrefix = "On  V";
constexpr const char* kSaveReflectMaxText = " reflect MAX = %1  saved";

// Render types of comboBox_pcloudRendertype.
constexpr int kRenderReflectivityIndex = 2;
// Firmware below this version takes the render selection as command 202.
constexpr float kFirmwareWithoutRenderCommand = 2.2f;
constexpr std::uint8_t kCmdRenderSelect = 202;
constexpr std::uint8_t kRenderSelectFirst = 20;
constexpr std::uint8_t kRenderSelectOther = 20;  // third byte for every type but reflectivity
constexpr std::uint32_t kRenderCommandTimeoutMs = 1000;

// Reflectivity calibration: the render type it shows, its question and answers.
constexpr int kCalibrationRenderIndex = 1;
constexpr const char* kCalibrationTitle = "反射率标定方法";
constexpr const char* kCalibrationQuestion = "是否在1米处放置50%的反射板， 然后出图选择了坐标点";
constexpr const char* kCalibrationYes = "是";
constexpr const char* kCalibrationNo = "否";

}  // namespace vantory::filters
