// The frame callback's work on the SDK's frame thread: time texts, phase angle, display
// images and the values at the selected pixel (under the frame mutex), the hand-offs to
// the recorder and the point-cloud view, the reflectivity measurement, the
// temperature/distance log, the header-configuration watch and the camera link trace.
// The GUI thread reads what it stores under the same mutex (update code 0).
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "FrameMeasures.h"
#include "FrameSeam.h"
#include "ImageColorizer.h"
#include "PaneScales.h"
#include "ReflectivityMeasure.h"
#include "TimeStampText.h"

namespace Movoda {
class Frame;
}

namespace vantory {

struct GuiContext;

using FramePtr = std::shared_ptr<const Movoda::Frame>;

// Whether the amplitude pane's grayscale switch is to be shown, hidden or left alone.
enum class GrayCheckVisibility { Unchanged, Show, Hide };

// Frame state for the GUI thread; read and written under GuiContext::frameMutex.
struct FrameDisplayState {
    bool hasFrame = false;
    std::uint8_t version = 0;
    std::uint16_t dataKind = 0;
    std::uint8_t timeType = 0;
    std::uint8_t syncLocked = 0;
    std::array<char, 11> timeText{};
    std::array<char, 32> ptpDateText{};
    std::array<char, 16> fileTimeText{};  // for file names of exports
    std::array<char, 160> subFrameLine{};
    std::array<char, 48> ptpLine{};
    GrayCheckVisibility grayCheck = GrayCheckVisibility::Unchanged;
    measure::PaneScales scales;  // what the panes were coloured with
};

// A few buffers of one display image. The views keep the image they were last given;
// the next frame is written into a buffer nobody else holds, so a frame neither
// allocates nor copies the shown image first.
class ImageRing {
public:
    QImage& writable();

private:
    std::array<QImage, 3> slots_;
};

// Header configuration of a played-back frame (model text, lens, acquisition values,
// option flags), compared while the frames carry their own configuration.
using HeaderConfig = std::vector<std::uint8_t>;

class FramePath {
public:
    explicit FramePath(GuiContext& context);
    ~FramePath();
    FramePath(const FramePath&) = delete;
    FramePath& operator=(const FramePath&) = delete;

    // The frame callback (SDK frame thread).
    void onFrame(const FramePtr& frame);

    // Seams filled by the point-cloud view and image export (GUI thread; safe while frames
    // flow). The point-cloud view gets frames with a cloud and the selected pixel (column,
    // row). Recording does not pass here: it taps the SDK's intake, so it sees the frames
    // this path skips when it falls behind.
    using CloudHandler = std::function<void(const FramePtr&, int column, int row)>;
    void setCloudView(CloudHandler cloudView) { cloudView_.set(std::move(cloudView)); }
    // Called under the frame mutex with the images just built: distance for kinds other
    // than 0 and 3, distance and amplitude for kind 0, grayscale for kind 3 (the others
    // null). The batch conversion to images fills it.
    using ImageSaver = std::function<void(const QImage* distance, const QImage* amplitude, const QImage* grayscale)>;
    void setImageSaver(ImageSaver saver) { imageSaver_.set(std::move(saver)); }
    // Every frame, after the display and the point-cloud view, outside the frame mutex,
    // with the frame's time texts (the batch conversion saves frames here).
    using FrameExporter = std::function<void(const FramePtr&, const char* timeText, const char* ptpDateText)>;
    void setFrameExporter(FrameExporter exporter) { frameExporter_.set(std::move(exporter)); }

    // Switches of the developer modes and the device settings (any thread).
    void setDcsMode(int mode) { dcsMode_.store(mode); }
    int dcsMode() const { return dcsMode_.load(); }
    void setTempDistLog(bool on) { tempDistOn_.store(on); }
    void setHeaderConfigWatch(bool on) { headerWatchOn_.store(on); }

    // Under GuiContext::frameMutex.
    const FrameDisplayState& display() const { return display_; }
    // After the GUI consumed grayCheck (under GuiContext::frameMutex).
    void clearGrayCheck() { display_.grayCheck = GrayCheckVisibility::Unchanged; }

    HeaderConfig lastHeaderConfig() const;

    // Update code 0 is raised once per batch of frames: a frame arriving while the
    // last raise is still queued only refreshes the stored state. The GUI thread calls
    // displayTaken() when it starts drawing.
    void requestDisplay();
    void displayTaken() { displayPending_.store(false); }

    ImageColorizer& distanceColorizer() { return distanceColorizer_; }
    ImageColorizer& amplitudeColorizer() { return amplitudeColorizer_; }
    ImageColorizer& grayColorizer() { return grayColorizer_; }
    // Measurements fed with every frame while a measurement panel or mode is on.
    measure::FrameMeasures& measures() { return measures_; }

private:
    void storeUnderLock(const Movoda::Frame& frame, FramePtr& previous, const FramePtr& current);
    void buildImages(const Movoda::Frame& frame);
    void feedMeasures(const Movoda::Frame& frame, colorizer::PaneInput& in);
    void measureAndLog(const Movoda::Frame& frame);
    void watchHeaderConfig(const Movoda::Frame& frame);
    void traceLink(const Movoda::Frame& frame);

    GuiContext& ctx_;
    ImageColorizer distanceColorizer_;
    ImageColorizer amplitudeColorizer_;
    ImageColorizer grayColorizer_;
    ImageRing distanceRing_;
    ImageRing amplitudeRing_;
    ImageRing grayscaleRing_;
    measure::FrameMeasures measures_;

    // Frame thread only.
    framepath::StampTexts stamp_;
    framepath::TempDistLog tempDistLog_;
    int lastLinkState_ = -1;
    HeaderConfig scratchConfig_;

    FrameDisplayState display_;  // under ctx_.frameMutex

    mutable std::mutex configMutex_;
    HeaderConfig headerConfig_;

    FrameSeam<const FramePtr&, int, int> cloudView_;
    FrameSeam<const QImage*, const QImage*, const QImage*> imageSaver_;
    FrameSeam<const FramePtr&, const char*, const char*> frameExporter_;

    std::atomic<int> dcsMode_{0};
    std::atomic<bool> tempDistOn_{false};
    std::atomic<bool> headerWatchOn_{false};
    std::atomic<bool> displayPending_{false};
};

}  // namespace vantory
