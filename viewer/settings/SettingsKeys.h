// Keys and first-run values of the viewer's settings file ("gui" + suffix + ".ini") and
// of the common file. vantory-reset edits the same file with the same spellings.
#pragma once

namespace vantory::settings {

// ---- Group Setting ------------------------------------------------------------------
constexpr const char* kUiLanguage = "Setting/uilanguage";
constexpr const char* kIfSelUsb = "Setting/ifSelUsb";
constexpr const char* kIpAddress = "Setting/ipaddress";
constexpr const char* kImgType = "Setting/imgType";
constexpr const char* kHdr = "Setting/HDR";
inline constexpr const char* kInt[5] = {"Setting/int1", "Setting/int2", "Setting/int3",
                                        "Setting/int4", "Setting/int5"};
constexpr const char* kHdrK150 = "Setting/HDR_k150";
inline constexpr const char* kIntK150[5] = {"Setting/int1_k150", "Setting/int2_k150",
                                            "Setting/int3_k150", "Setting/int4_k150",
                                            "Setting/int5_k150"};
inline constexpr const char* kFreq[5] = {"Setting/freq1", "Setting/freq2", "Setting/freq3",
                                         "Setting/freq4", "Setting/freq5"};
constexpr const char* kIntGs = "Setting/intgs";
constexpr const char* kMinLsb = "Setting/minLSB";
constexpr const char* kMinDist = "Setting/minDist";
constexpr const char* kMaxDist = "Setting/maxDist";
constexpr const char* kModFreq = "Setting/modfreq";
// The point-cloud filter switch has two spellings in circulation: first-run defaults and
// older tools write the lower-case one, the save writes the other. Both reach one value.
constexpr const char* kPclFilterOn = "Setting/pclFilterOn";
constexpr const char* kPclFilterOnDefaults = "Setting/pclfilterOn";
constexpr const char* kHMirror = "Setting/hmirror";
constexpr const char* kVMirror = "Setting/vmirror";
constexpr const char* kMaxFps = "Setting/maxfps";
constexpr const char* kRenderType = "Setting/renderType";
constexpr const char* kCloudCoord = "Setting/cloudcoord";
constexpr const char* kCutCorner = "Setting/cut_corner";

// ---- Group Filters ------------------------------------------------------------------
constexpr const char* kMedianSize = "Filters/medianSize";
constexpr const char* kKalmanEnable = "Filters/kalmanEnable";
constexpr const char* kKalmanFactor = "Filters/kalmanFactor";
constexpr const char* kKalmanThreshold = "Filters/kalmanThreshold";
constexpr const char* kEdgeEnable = "Filters/edgeEnable";
constexpr const char* kEdgeThreshold = "Filters/edgeThreshold";
constexpr const char* kDustEnable = "Filters/dustEnable";
constexpr const char* kDustThreshold = "Filters/dustThreshold";
constexpr const char* kDustFrames = "Filters/dustFrames";
constexpr const char* kPostprocessThreshold = "Filters/postprocessThreshold";
constexpr const char* kPostprocessEnable = "Filters/postprocessEnable";
constexpr const char* kDynamicsEnabled = "Filters/dynamicsEnabled";
constexpr const char* kDynamicsWinsize = "Filters/dynamicsWinsize";
constexpr const char* kDynamicsMotionsize = "Filters/dynamicsMotionsize";
constexpr const char* kReflectiveEnable = "Filters/reflectiveEnable";
constexpr const char* kRefThMin = "Filters/ref_th_min";
constexpr const char* kRefThMax = "Filters/ref_th_max";
constexpr const char* kSpatialEnable = "Filters/spatialEnable";
constexpr const char* kSpatialAlpha = "Filters/spatialAlpha";
constexpr const char* kSpatialDelta = "Filters/spatialDelta";
constexpr const char* kSpatialIterations = "Filters/spatialIterations";
constexpr const char* kAverageEnable = "Filters/averageEnable";
constexpr const char* kAverageSize = "Filters/averageSize";

// ---- Group ui: window geometry ------------------------------------------------------
inline constexpr const char* kMainWindowGeometry[4] = {"ui/mainwin_x", "ui/mainwin_y",
                                                       "ui/mainwin_width", "ui/mainwin_height"};
inline constexpr const char* kCloudWindowGeometry[4] = {"ui/pclwin_x", "ui/pclwin_y",
                                                        "ui/pclwin_width", "ui/pclwin_height"};
constexpr const char* kCloudShowGrid = "ui/cloud_showgrid";
constexpr const char* kCloudGridHeight = "ui/cloud_gridheight";

// ---- Common file shared by every instance: per-model reflectivity tables -------------
constexpr const char* kCommonFile = "commoncfg";
constexpr const char* kReflectivityCoefGroup = "Reflectivitycoef/";
constexpr const char* kReflectivityRenderMaxGroup = "ReflectivityRenderMax/";
constexpr int kDefaultReflectivityRenderMax = 100;

// ---- Values -------------------------------------------------------------------------
constexpr int kForceEnglish = 1;
constexpr const char* kDefaultIpAddress = "192.168.2.101";
constexpr int kDefaultImgType = 1;
constexpr int kDefaultIfSelUsb = 0;
// Stored for a frequency box item that has no modulation code ("0.75M").
constexpr int kUnknownFreqCode = 100;
constexpr const char* kUnknownFreqText = "Unknown FREQ!";

}  // namespace vantory::settings
