// Names, sizes and colours of the point-cloud window, and the numbers of its rules.
#pragma once

#include <cstdint>

namespace vantory::cloudview {

constexpr const char* kWindowName = "PointCloudViewer";
constexpr const char* kFrameId = "sensor_frame";

// Visualiser object ids (all in viewport 0).
constexpr const char* kCloudId = "mvlidar";
constexpr const char* kFpsTextId = "pclfps";
constexpr const char* kPickedTextId = "point_coordinates_text";
constexpr const char* kHighlightId = "highlight sphere";
constexpr const char* kAxisXId = "xid";
constexpr const char* kAxisYId = "yid";
constexpr const char* kAxisZId = "zid";
constexpr const char* kReferenceId = "reference";
constexpr const char* kGridIdPrefix = "grid_";
constexpr const char* kFpsTextPrefix = "FPS: ";

// Render types and coordinate types of the display settings.
constexpr int kRenderDistance = 0;
constexpr int kRenderAmplitude = 1;
constexpr int kRenderReflectivity = 2;
constexpr int kCoordCamera = 0;
constexpr int kCoordCar = 1;

// Colours (RGB, 0..1).
constexpr double kBackground = 0.15;
constexpr double kGridGrey = 0.35;

// Texts.
constexpr int kFpsTextX = 20;
constexpr int kFpsTextY = 20;
constexpr int kFpsFontSize = 20;
constexpr int kPickedTextRightOffset = 250;
constexpr int kPickedTextY = 20;
constexpr int kPickedFontSize = 12;

// Axes.
constexpr double kAxisLabelOffset = 0.4;
constexpr double kAxisTextScale = 0.1;
constexpr double kReferenceScale = 0.3;

// Camera: looking along the forward axis from this far behind the origin.
constexpr double kCameraDistance = 12.0;

// Point size and opacity (opacity above 1 draws as 1).
constexpr float kInitialPointSize = 1.2f;
constexpr float kMinPointSize = 1.2f;
constexpr float kPointSizeStep = 1.0f;
constexpr float kInitialOpacity = 2.0f;
constexpr float kMaxOpacity = 3.0f;
constexpr float kMinOpacity = 0.1f;
constexpr float kOpacityStep = 0.1f;

// Floor grid.
constexpr double kInitialGridHeight = 1.0;
constexpr double kMaxGridHeight = 20.0;
constexpr double kMinGridHeight = 0.0;
constexpr double kGridHeightStep = 0.1;
constexpr double kMinGridSize = 1.0;  // metres
constexpr int kGridDivisions = 10;
constexpr int kGridDecades = 7;
constexpr double kGridFirstDecade = 0.1;
constexpr double kGridFallbackStep = 100000.0;

// Highlight sphere radius: kSphereScale / (1 + e^-pointSize) + kSphereMin.
constexpr double kSphereScale = 0.1;
constexpr double kSphereMin = 0.01;

// Point-size buttons: 40 x 40 pixels at the right edge, origin at the bottom left.
constexpr int kButtonMargin = 12;
constexpr int kButtonSize = 40;
constexpr int kButtonGap = 8;
constexpr std::uint8_t kButtonGrey = 60;
constexpr std::uint8_t kButtonWhite = 255;
constexpr int kButtonBarHalfWidth = 5;  // |20 - row| < 5
constexpr int kButtonBarFrom = 5;       // 5 < column < 35
constexpr int kButtonBarTo = 35;
constexpr int kButtonStemFrom = 6;  // 6 <= row <= 34
constexpr int kButtonStemTo = 34;

// One render pass per spin of this length.
constexpr int kSpinMs = 20;

// The frame-rate counter is read every this many seconds.
constexpr int kFpsPeriodSeconds = 3;

// Colour range pins: this many copies of each end of the range.
constexpr int kPinCount = 100;

// Automatic reflectivity maximum: the brightest intensity below the ceiling, starting
// from kReflectAutoStart, keeps the maximum within 90 %..170 % of it, else the maximum
// becomes 130 % of it, never above the cap.
constexpr int kReflectAutoStart = 10;
constexpr float kReflectAutoCeiling = 270.0f;
constexpr int kReflectAutoCap = 500;

}  // namespace vantory::cloudview
