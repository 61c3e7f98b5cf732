// Intervals, limits, colours and object names of the measurement panels and link health.
#pragma once

#include <cstdint>

namespace vantory::measure {

// Link health is polled once a second; its window is the library's (10 s).
constexpr int kLinkHealthPollMs = 1000;
// ROI statistics and histograms are recomputed at most this often, whatever the frame
// rate: the display refresh cannot show them faster.
constexpr int kStatsIntervalMs = 100;

// Frames of the temporal noise (per-pixel standard deviation) until the user picks others.
constexpr int kNoiseDepthDefault = 30;

// Colour scale of the noise map in mm when the pane's auto range is off.
constexpr double kNoiseScaleDefaultMm = 20.0;
// The noise map is coloured through the 16-bit lookup in hundredths of a millimetre.
constexpr double kNoiseUnitsPerMm = 100.0;

// The status line's background while the link loses more than the amber share.
constexpr const char* kAmberStyle = "#frame_status { background-color: #ffbf00; }";

// Object names: the captions table of the viewer's second language finds widgets by them.
constexpr const char* kLinkHealthDock = "dock_linkHealth";
constexpr const char* kRoiDock = "dock_roiStats";
constexpr const char* kHistogramDock = "dock_histogram";
constexpr const char* kDistanceAutoRange = "checkBox_distAutoRange";
constexpr const char* kAmplitudeAutoRange = "checkBox_ampAutoRange";
constexpr const char* kNoiseMapCheck = "checkBox_noiseMap";
constexpr const char* kNoiseDepthLabel = "label_noiseFrames";
constexpr const char* kCopyCsvButton = "pushButton_roiCopyCsv";
constexpr const char* kWholeFrameButton = "pushButton_roiWholeFrame";
constexpr const char* kDrawRoiButton = "pushButton_roiDraw";
constexpr const char* kViewButton = "toolButton_view";

// Units of the colour bars.
constexpr const char* kUnitMm = "mm";
constexpr const char* kUnitCounts = "counts";

}  // namespace vantory::measure
